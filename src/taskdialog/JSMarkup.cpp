#include "taskdialog/JSMarkup.h"

#include <array>
#include <functional>
#include <vector>

namespace vx::taskdialog {
namespace {

// Qt rich text keeps runs of blanks only under pre-wrap.
constexpr const char* HtmlPrefix = "<div style=\"white-space:pre-wrap\">";
constexpr const char* HtmlSuffix = "</div>";
constexpr const char* HtmlLineBreak = "<br>";
// A tag longer than this is text: it bounds the look-ahead for ">".
constexpr qsizetype MaxTagLength = 4096;
// Qt looks for a word boundary through a whole word on every line it wraps, which takes
// seconds for a word of 100 KB. Words longer than LongWord get a zero-width space every
// WordPiece characters, where Qt may then break them.
constexpr qsizetype LongWord = 128;
constexpr qsizetype WordPiece = 16;

struct TEntity {
    const char* Name; // between "&" and ";"
    char16_t Character;
};
constexpr std::array<TEntity, 6> Entities{{
    {"lt", u'<'},
    {"gt", u'>'},
    {"amp", u'&'},
    {"quot", u'"'},
    {"#39", u'\''},
    {"apos", u'\''},
}};

enum TStyle { sBold, sItalic, sUnderline, sLink, StyleCount };
constexpr std::array<const char*, StyleCount> StyleTags{"b", "i", "u", "a"};

// One piece of a marked-up text.
struct TToken {
    enum TKind { tkText, tkLineBreak, tkOpen, tkClose } Kind = tkText;
    QString Text;    // tkText: the characters shown
    TStyle Style{};  // tkOpen, tkClose
    QString LinkRef; // tkOpen of sLink: the target, entities decoded
};

using TTokenSink = std::function<void(const TToken&)>;

// The entity at `markup[at]` ("&..."), its character and length; false when there is none.
bool MatchEntity(const QString& markup, qsizetype at, QChar& character, qsizetype& length) {
    for (const TEntity& entity : Entities) {
        const QString name = QStringLiteral("&") + QLatin1String(entity.Name) + u';';
        if (QStringView(markup).mid(at).startsWith(name, Qt::CaseInsensitive)) {
            character = QChar(entity.Character);
            length = name.size();
            return true;
        }
    }
    return false;
}

QString DecodeEntities(const QString& text) {
    QString result;
    for (qsizetype i = 0; i < text.size();) {
        QChar character;
        qsizetype length = 0;
        if (text[i] == u'&' && MatchEntity(text, i, character, length)) {
            result += character;
            i += length;
        } else {
            result += text[i++];
        }
    }
    return result;
}

// The target of an "a" tag's body (the text after "a"): href=value, the value in double or
// single quotes or up to the next blank. Empty when there is no href.
QString LinkTarget(QStringView attributes) {
    const qsizetype href = attributes.indexOf(QLatin1String("href"), 0, Qt::CaseInsensitive);
    if (href < 0) {
        return {};
    }
    QStringView rest = attributes.mid(href + 4).trimmed();
    if (!rest.startsWith(u'=')) {
        return {};
    }
    rest = rest.mid(1).trimmed();
    qsizetype end = 0;
    if (!rest.isEmpty() && (rest[0] == u'"' || rest[0] == u'\'')) {
        const QChar quote = rest[0];
        rest = rest.mid(1);
        end = rest.indexOf(quote);
    } else {
        end = rest.indexOf(u' ');
    }
    return DecodeEntities((end < 0 ? rest : rest.left(end)).toString());
}

// The tag whose body (between "<" and ">") is `body`; false when it is none of ours.
bool ParseTag(QStringView body, TToken& tag) {
    const bool closing = body.startsWith(u'/');
    const QStringView name = closing ? body.mid(1) : body;
    for (int style = 0; style < StyleCount; ++style) {
        const QLatin1String tagName(StyleTags[static_cast<std::size_t>(style)]);
        const bool exact = name.compare(tagName, Qt::CaseInsensitive) == 0;
        const bool linkWithAttributes = !closing && style == sLink &&
                                        name.startsWith(tagName, Qt::CaseInsensitive) &&
                                        name.size() > 1 && name[1].isSpace();
        if (exact || linkWithAttributes) {
            tag.Kind = closing ? TToken::tkClose : TToken::tkOpen;
            tag.Style = static_cast<TStyle>(style);
            if (linkWithAttributes) {
                tag.LinkRef = LinkTarget(name.mid(1));
            }
            return true;
        }
    }
    return false;
}

// Splits `markup` into tokens, balancing the tags: an unmatched closing tag is dropped, open
// tags are closed at the end.
void Tokenize(const QString& markup, const TTokenSink& sink) {
    std::array<int, StyleCount> open{};
    TToken text;
    const auto flushText = [&] {
        if (!text.Text.isEmpty()) {
            sink(text);
            text.Text.clear();
        }
    };
    qsizetype nextGreater = -1;
    for (qsizetype i = 0; i < markup.size();) {
        const QChar c = markup[i];
        if (c == u'\r' || c == u'\n') {
            flushText();
            sink(TToken{TToken::tkLineBreak, {}, {}, {}});
            i += (c == u'\r' && i + 1 < markup.size() && markup[i + 1] == u'\n') ? 2 : 1;
            continue;
        }
        if (c == u'<') {
            if (nextGreater < i) {
                nextGreater = markup.indexOf(u'>', i);
                if (nextGreater < 0) {
                    nextGreater = markup.size();
                }
            }
            TToken tag;
            if (nextGreater < markup.size() && nextGreater - i <= MaxTagLength &&
                ParseTag(QStringView(markup).mid(i + 1, nextGreater - i - 1), tag)) {
                int& count = open[tag.Style];
                if (tag.Kind == TToken::tkOpen || count > 0) {
                    flushText();
                    count += tag.Kind == TToken::tkOpen ? 1 : -1;
                    sink(tag);
                }
                i = nextGreater + 1;
                continue;
            }
        }
        QChar character = c;
        qsizetype length = 1;
        if (c == u'&') {
            MatchEntity(markup, i, character, length);
        }
        text.Text += character;
        i += length;
    }
    flushText();
    for (int style = StyleCount - 1; style >= 0; --style) {
        for (int k = 0; k < open[static_cast<std::size_t>(style)]; ++k) {
            sink(TToken{TToken::tkClose, {}, static_cast<TStyle>(style), {}});
        }
    }
}

// `text` with break opportunities in its long words.
QString Breakable(const QString& text) {
    QString result;
    result.reserve(text.size() + text.size() / WordPiece);
    qsizetype wordStart = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !text[i].isSpace()) {
            continue;
        }
        const QStringView word = QStringView(text).mid(wordStart, i - wordStart);
        if (word.size() > LongWord) {
            qsizetype piece = 0;
            for (const QChar c : word) {
                // Never between the halves of a surrogate pair or before a combining mark.
                if (piece >= WordPiece && !c.isLowSurrogate() && !c.isMark()) {
                    result += QChar(MarkupWrapPoint);
                    piece = 0;
                }
                result += c;
                ++piece;
            }
        } else {
            result += word;
        }
        if (i < text.size()) {
            result += text[i];
        }
        wordStart = i + 1;
    }
    return result;
}

QString TokensToHtml(const QString& markup) {
    QString html;
    std::vector<bool> linkHasTarget; // a link without a target is no link
    Tokenize(markup, [&](const TToken& token) {
        switch (token.Kind) {
        case TToken::tkText:
            html += Breakable(token.Text).toHtmlEscaped();
            break;
        case TToken::tkLineBreak:
            html += QLatin1String(HtmlLineBreak);
            break;
        case TToken::tkOpen:
            if (token.Style != sLink) {
                html += u'<' + QLatin1String(StyleTags[token.Style]) + u'>';
            } else {
                linkHasTarget.push_back(!token.LinkRef.isEmpty());
                if (linkHasTarget.back()) {
                    html += QStringLiteral("<a href=\"") + token.LinkRef.toHtmlEscaped() +
                            QStringLiteral("\">");
                }
            }
            break;
        case TToken::tkClose:
            if (token.Style != sLink) {
                html += QStringLiteral("</") + QLatin1String(StyleTags[token.Style]) + u'>';
            } else {
                if (linkHasTarget.back()) {
                    html += QStringLiteral("</a>");
                }
                linkHasTarget.pop_back();
            }
            break;
        }
    });
    return html;
}

} // namespace

QString MarkupToHtml(const QString& markup) {
    return QLatin1String(HtmlPrefix) + TokensToHtml(markup) + QLatin1String(HtmlSuffix);
}

QString MarkupLinesToHtml(const QStringList& lines) {
    QStringList parts;
    parts.reserve(lines.size());
    for (const QString& line : lines) {
        parts << TokensToHtml(line);
    }
    return QLatin1String(HtmlPrefix) + parts.join(QLatin1String(HtmlLineBreak)) +
           QLatin1String(HtmlSuffix);
}

QString MarkupToPlainText(const QString& markup) {
    QString plain;
    Tokenize(markup, [&](const TToken& token) {
        if (token.Kind == TToken::tkText) {
            plain += token.Text;
        } else if (token.Kind == TToken::tkLineBreak) {
            plain += u'\n';
        }
    });
    return plain;
}

QString EscapeMarkup(const QString& text) {
    return text.toHtmlEscaped();
}

} // namespace vx::taskdialog
