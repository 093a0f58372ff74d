#pragma once

// A process locale that writes decimal commas, for the tests that show the
// protocol's numbers keep their decimal point whatever the locale.

#include <clocale>
#include <cstring>
#include <string>

namespace skerrow::test {

// Switches the process locale (LC_ALL) to one whose decimal separator is a
// comma, and back to the previous locale when it goes. Machines differ in
// which locales they have: a test skips when active() is false. The locale
// is process-wide, so use it on the test's own thread only.
class DecimalCommaLocale {
public:
    DecimalCommaLocale() : m_previous(std::setlocale(LC_ALL, nullptr)) {
        // glibc's names first (scripts/test makes de_DE.UTF-8), then those of
        // the Windows C library (wine has them all).
        for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "ru_RU.UTF-8", "German_Germany.1252",
                                 "French_France.1252"}) {
            if (std::setlocale(LC_ALL, name) != nullptr &&
                std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
                m_active = true;
                return;
            }
        }
        std::setlocale(LC_ALL, m_previous.c_str());
    }
    ~DecimalCommaLocale() { std::setlocale(LC_ALL, m_previous.c_str()); }
    DecimalCommaLocale(const DecimalCommaLocale&) = delete;
    DecimalCommaLocale& operator=(const DecimalCommaLocale&) = delete;

    // True while a locale with a decimal comma is in force.
    bool active() const { return m_active; }

private:
    std::string m_previous;
    bool m_active = false;
};

} // namespace skerrow::test
