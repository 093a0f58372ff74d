#include "console_prompts.h"

#include <QGuiApplication>

namespace skerrow {

namespace {

void WriteLine(std::FILE* out, const QString& title, const QString& text) {
    // One line per box, whatever the text's own line breaks.
    QString line = title + QStringLiteral(": ") + text;
    line.replace(QLatin1Char('\n'), QLatin1Char(' '));
    std::fprintf(out, "skerrow: %s\n", line.toUtf8().constData());
    std::fflush(out);
}

} // namespace

ConsolePrompts::ConsolePrompts(std::FILE* out) : m_out(out) {}

void ConsolePrompts::ShowError(const QString& title, const QString& text) {
    WriteLine(m_out, title, text);
}

bool ConsolePrompts::AskYesNo(const QString& title, const QString& text) {
    WriteLine(m_out, title, text + QStringLiteral(" (No)"));
    return false;
}

bool ConsolePrompts::IsHeadlessPlatform() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

} // namespace skerrow
