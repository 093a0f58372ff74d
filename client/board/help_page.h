#pragma once

// The text of the help page (使い方), compiled into the program from
// docs/help-ja.md: Markdown, in Japanese, which the window shows as it is.

#include <QString>

namespace skerrow {

// The resource path of the help page.
inline constexpr char kHelpPageResource[] = ":/skerrow/help-ja.md";

// The help page's text; empty only when the resource is missing from the
// build.
QString HelpPageText();

} // namespace skerrow
