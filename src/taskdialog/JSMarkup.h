#pragma once

#include <QString>
#include <QStringList>

// The inline markup of the widget's texts (header, instruction, content, footer):
// "<b>" "</b>" bold, "<i>" "</i>" italic, "<u>" "</u>" underlined, "<a href=...>" "</a>" a
// link, CR LF (or a lone CR or LF) a line break, and the entities "&lt;" "&gt;" "&amp;"
// "&quot;" "&#39;" "&apos;" for their characters. Tag names are matched without regard to
// case. Everything else, other tags included, is text: a widget text can never become any
// other rich text. Tags left open are closed at the end of the text and a closing tag without
// its opening one is dropped, so one text never changes the look of the next.
namespace vx::taskdialog {

// What MarkupToHtml puts into long words where they may wrap.
inline constexpr char16_t MarkupWrapPoint = 0x200B; // zero-width space

// Qt rich text for the markup, blanks kept as written. Words longer than 128 characters get
// zero-width spaces where they may wrap (TJSTextView leaves them out of what it copies).
QString MarkupToHtml(const QString& markup);
// Several texts, each on its own line.
QString MarkupLinesToHtml(const QStringList& lines);
// The text without its markup, line breaks as "\n".
QString MarkupToPlainText(const QString& markup);

// `text` that the markup shows exactly as given: "<", ">", "&" and '"' become entities.
QString EscapeMarkup(const QString& text);

} // namespace vx::taskdialog
