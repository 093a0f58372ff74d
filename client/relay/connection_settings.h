#pragma once

// The connection entries (server address and port, login ID, password and
// display name) and the checks they must pass before a connection starts,
// shared by the window's connection dialog and the command-line front end.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace skerrow {

// Entries that have passed CheckConnectionEntries, as the server link uses
// them to connect and to log in. Texts are byte strings.
struct ConnectionSettings {
    std::string address;     // dotted IPv4 address or host name, at most 31 bytes
    std::uint16_t port = 0;  // 1 to 65535 once checked
    std::string id;          // login ID, 4 to 16 bytes
    std::string password;    // login password, 4 to 8 bytes; never stored on disk
    std::string displayName; // name shown to the server, 1 to 16 bytes
};

// The entries as typed (or read from the settings file), UTF-8.
struct ConnectionEntries {
    std::string address;
    std::string port;
    std::string id;
    std::string password;
    std::string displayName;
};

// Title of the message box that shows a refused entry.
inline constexpr std::string_view kInputErrorTitle = "入力エラー";

// Checks the entries field by field in a fixed order and returns the message
// for the first refused one, or nothing when all pass. Each text is copied
// into `out` as its turn comes, before it is checked, and the port once its
// number is valid: after a refusal the fields before the refused one hold the
// new entries and those after it keep their old values.
// Each text is first cut to the size its field was read with (31 bytes for
// address, ID and display name, 15 for port and password). Letters, digits,
// '-', '_' and '.' are the only bytes allowed in address, ID, password and
// display name; the port must be 1 to 8 digits with a value of 1 to 65535.
std::optional<std::string> CheckConnectionEntries(const ConnectionEntries& entries,
                                                  ConnectionSettings& out);

} // namespace skerrow
