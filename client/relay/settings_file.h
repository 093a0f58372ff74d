#pragma once

// The settings file that remembers the connection entries between runs: an
// INI file with the section "System" and the keys IP, PORT, ID and NAME. The
// password has no key; it is never written to disk.

#include "connection_settings.h"

#include <QString>

namespace skerrow {

// Where the settings file lives: the current directory.
inline constexpr char kDefaultSettingsPath[] = "./Connection.ini";

// The entries stored in the file at `path`, UTF-8. A missing key gives an
// empty text; a missing or unreadable file gives all texts empty. A stored
// text is seen only up to the size its field is read with (31 bytes, 15 for
// the port), cut between characters. The password is always empty.
ConnectionEntries ReadSettingsFile(const QString& path);

// Stores address, port, ID and display name of `entries` in the file at
// `path`, creating the file and section when missing and keeping anything
// else in it. `entries.password` is ignored. Returns false when the file
// could not be written.
bool WriteSettingsFile(const QString& path, const ConnectionEntries& entries);

} // namespace skerrow
