// The merits of one registry view as a JSON file, written by `export` and
// read by `apply` and `check`:
//   {"format": "kestrane-pivora-merits", "version": 1, "view": "64" or "32",
//    "filters": [{"clsid": "{...}", "name": "...", "merit": "0x00800000",
//                 "recorded": true or false}, ...]}
// "recorded": the merit is a choice made with pivora, not the server's own.
// A file is read whole and checked before anything is done with it; the
// first mistake found is reported with its place.
#ifndef MERITEXPORT_H
#define MERITEXPORT_H

#include "registryview.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <string>
#include <vector>

extern const char meritFileFormat[]; // "kestrane-pivora-merits"
const int meritFileVersion = 1;

struct MeritEntry {
    std::string clsid; // registry form
    QString name;      // empty when the file names none
    uint32_t merit = 0;
    bool recorded = false;
};

struct MeritFile {
    RegistryView view = RegistryView::Bits64;
    std::vector<MeritEntry> filters;
};

// UTF-8 JSON, indented, ending in a line feed.
QByteArray writeMeritFile(const MeritFile &file);

// False with `error` saying what is wrong and where: the parse error's
// offset for text that is no JSON, else the index of the filter entry.
// UTF-8 with or without a byte order mark; UTF-16 in either byte order with
// one, as Windows PowerShell 5 writes a redirected output.
bool readMeritFile(const QByteArray &data, MeritFile *file, QString *error);

QString viewText(RegistryView view); // "64" or "32"

#endif
