#include "meritexport.h"

#include "meritwords.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextCodec>

#include <set>

const char meritFileFormat[] = "kestrane-pivora-merits";

namespace {

QString key(const char *name)
{
    return QString::fromLatin1(name);
}

} // namespace

QString viewText(RegistryView view)
{
    return key(view == RegistryView::Bits32 ? "32" : "64");
}

QByteArray writeMeritFile(const MeritFile &file)
{
    QJsonArray filters;
    for (const MeritEntry &entry : file.filters) {
        QJsonObject filter;
        filter.insert(key("clsid"), QString::fromLatin1(entry.clsid.c_str()));
        filter.insert(key("name"), entry.name);
        filter.insert(key("merit"), QString::fromStdString(meritHex(entry.merit)));
        filter.insert(key("recorded"), entry.recorded);
        filters.append(filter);
    }
    QJsonObject top;
    top.insert(key("format"), key(meritFileFormat));
    top.insert(key("version"), meritFileVersion);
    top.insert(key("view"), viewText(file.view));
    top.insert(key("filters"), filters);
    return QJsonDocument(top).toJson(QJsonDocument::Indented);
}

bool readMeritFile(const QByteArray &data, MeritFile *file, QString *error)
{
    error->clear();
    QByteArray utf8 = data;
    if (data.startsWith("\xFF\xFE") || data.startsWith("\xFE\xFF"))
        utf8 = QTextCodec::codecForUtfText(data)->toUnicode(data).toUtf8();
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(utf8, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *error = QString::fromLatin1("not JSON: %1 at offset %2").arg(parseError.errorString()).arg(parseError.offset);
        return false;
    }
    const QJsonObject top = document.object();
    if (!document.isObject() || top.value(key("format")).toString() != key(meritFileFormat)) {
        *error = QString::fromLatin1("not a merits file: \"format\" is not \"%1\"").arg(key(meritFileFormat));
        return false;
    }
    const QJsonValue version = top.value(key("version"));
    if (!version.isDouble() || version.toDouble() != meritFileVersion) {
        *error = QString::fromLatin1("\"version\" is not %1, the only version this program reads").arg(meritFileVersion);
        return false;
    }
    MeritFile read;
    const QString view = top.value(key("view")).toString();
    if (view != key("64") && view != key("32")) {
        *error = QString::fromLatin1("\"view\" is neither \"64\" nor \"32\"");
        return false;
    }
    read.view = view == key("32") ? RegistryView::Bits32 : RegistryView::Bits64;
    if (!top.value(key("filters")).isArray()) {
        *error = QString::fromLatin1("\"filters\" is not a list");
        return false;
    }
    const QJsonArray filters = top.value(key("filters")).toArray();
    std::set<std::string> seen;
    for (int index = 0; index < filters.size(); ++index) {
        const QString place = QString::fromLatin1("filters[%1]: ").arg(index);
        const QJsonObject filter = filters.at(index).toObject();
        std::string clsid;
        MeritEntry entry;
        if (!filters.at(index).isObject()) {
            *error = place + key("not an object");
        } else if (!parseClsid(filter.value(key("clsid")).toString().toStdString(), &clsid)) {
            *error = place + key("\"clsid\" is no CLSID of the form {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}");
        } else if (!seen.insert(clsid).second) {
            *error = place + key("the same CLSID as an earlier entry");
        } else if (!parseMeritHex(filter.value(key("merit")).toString().toStdString(), &entry.merit)) {
            *error = place + key("\"merit\" is not 0x and 1 to 8 hexadecimal digits");
        } else if (filter.contains(key("name")) && !filter.value(key("name")).isString()) {
            *error = place + key("\"name\" is not text");
        } else if (filter.contains(key("recorded")) && !filter.value(key("recorded")).isBool()) {
            *error = place + key("\"recorded\" is neither true nor false");
        }
        if (!error->isEmpty())
            return false;
        entry.clsid = clsid;
        entry.name = filter.value(key("name")).toString();
        entry.recorded = filter.value(key("recorded")).toBool();
        read.filters.push_back(entry);
    }
    *file = read;
    return true;
}
