// The Group Policy templates in policy/ against the program: both files are
// well-formed XML, each policy writes, as a list of explicit value names,
// the key the program reads for its view, every string and presentation the
// ADMX refers to is in the ADML, and the filters the texts list are the
// catalogue's.
#include "knownfilterrows.h"
#include "meritpolicystore.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QMap>
#include <QRegExp>
#include <QSet>
#include <QStringList>
#include <QXmlStreamReader>

#include <functional>

namespace {

struct ListElement {
    QString id, key, explicitValue;
};

struct Policy {
    QString name, policyClass, key, explainText, presentation;
    QList<ListElement> lists;
};

struct Templates {
    QList<Policy> policies;
    QStringList references;                  // every $(string.X) and $(presentation.X) of the ADMX
    QMap<QString, QString> strings;          // the ADML's, by id
    QMap<QString, QStringList> presentations; // the refIds of each of the ADML's presentations
};

// Reads one file, failing the test on anything that is no well-formed XML.
bool read(const QString &path, const std::function<void(QXmlStreamReader &)> &element)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << path.toStdString() << " cannot be opened";
        return false;
    }
    QXmlStreamReader xml(&file);
    while (!xml.atEnd())
        if (xml.readNext() == QXmlStreamReader::StartElement)
            element(xml);
    if (xml.hasError())
        ADD_FAILURE() << path.toStdString() << ":" << xml.lineNumber() << ": " << xml.errorString().toStdString();
    return !xml.hasError();
}

Templates readTemplates()
{
    const QString folder = QString::fromUtf8(KESTRANE_POLICY_TEMPLATES);
    Templates templates;
    QString presentation;
    read(folder + "/Kestrane.admx", [&](QXmlStreamReader &xml) {
        for (const QXmlStreamAttribute &attribute : xml.attributes()) {
            QRegExp reference(QString::fromLatin1("^\\$\\((string|presentation)\\.([^)]+)\\)$"));
            if (reference.indexIn(attribute.value().toString()) == 0)
                templates.references << reference.cap(1) + QLatin1Char('.') + reference.cap(2);
        }
        const QXmlStreamAttributes attributes = xml.attributes();
        if (xml.name() == QLatin1String("policy"))
            templates.policies << Policy{attributes.value("name").toString(), attributes.value("class").toString(),
                                         attributes.value("key").toString(), attributes.value("explainText").toString(),
                                         attributes.value("presentation").toString(), {}};
        else if (xml.name() == QLatin1String("list") && !templates.policies.isEmpty())
            templates.policies.last().lists << ListElement{attributes.value("id").toString(),
                                                           attributes.value("key").toString(),
                                                           attributes.value("explicitValue").toString()};
    });
    read(folder + "/en-US/Kestrane.adml", [&](QXmlStreamReader &xml) {
        const QString id = xml.attributes().value("id").toString();
        if (xml.name() == QLatin1String("string")) {
            templates.strings[id] = xml.readElementText();
        } else if (xml.name() == QLatin1String("presentation")) {
            presentation = id;
            templates.presentations[id];
        } else if (xml.attributes().hasAttribute("refId")) {
            templates.presentations[presentation] << xml.attributes().value("refId").toString();
        }
    });
    return templates;
}

QString idOf(const QString &reference) // "$(string.X)" -> "X"
{
    return reference.mid(reference.indexOf(QLatin1Char('.')) + 1).chopped(1);
}

TEST(PolicyTemplates, WriteTheKeysTheProgramReadsAndResolveInTheAdml)
{
    const Templates templates = readTemplates();
    QStringList keys;
    for (const Policy &policy : templates.policies) {
        EXPECT_EQ("Machine", policy.policyClass.toStdString()) << policy.name.toStdString();
        ASSERT_EQ(1, policy.lists.size()) << policy.name.toStdString();
        const ListElement &list = policy.lists.first();
        EXPECT_EQ("true", list.explicitValue.toStdString()) << policy.name.toStdString();
        EXPECT_EQ(policy.key, list.key);
        keys << list.key;
        // The presentation shows the list.
        EXPECT_EQ(QStringList(list.id), templates.presentations.value(idOf(policy.presentation)))
            << policy.name.toStdString();
    }
    EXPECT_EQ(QStringList({QString::fromLatin1(meritPolicyKey64), QString::fromLatin1(meritPolicyKey32)}), keys);

    ASSERT_FALSE(templates.references.isEmpty());
    for (const QString &reference : templates.references) {
        const QString id = reference.mid(reference.indexOf(QLatin1Char('.')) + 1);
        const bool found = reference.startsWith("string.") ? templates.strings.contains(id)
                                                           : templates.presentations.contains(id);
        EXPECT_TRUE(found) << reference.toStdString() << " is not in the ADML";
    }
}

TEST(PolicyTemplates, ExplanationsListTheCatalogueFilters)
{
    const Templates templates = readTemplates();
    ASSERT_EQ(2, templates.policies.size());
    QMap<QString, QString> catalogue; // CLSID -> name
    for (const KnownFilterRow &row : knownFilterRows)
        catalogue[QString::fromLatin1(row.clsid)] = QString::fromUtf8(row.name);
    for (const Policy &policy : templates.policies) {
        QMap<QString, QString> listed;
        QRegExp line(QString::fromLatin1("^(\\{[0-9A-F-]{36}\\})  (.+)$"));
        for (const QString &text : templates.strings.value(idOf(policy.explainText)).split(QLatin1Char('\n')))
            if (line.exactMatch(text))
                listed[line.cap(1)] = line.cap(2);
        EXPECT_EQ(catalogue, listed) << policy.name.toStdString();
    }
}

} // namespace
