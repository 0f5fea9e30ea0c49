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

// The entity at Markup[At] ("&..."), its character and length; false when there is none.
bool MatchEntity(const QString& Markup, qsizetype At, QChar& Character, qsizetype& Length) {
    for (const TEntity& Entity : Entities) {
        const QString Name = QStringLiteral("&") + QLatin1String(Entity.Name) + u';';
        if (QStringView(Markup).mid(At).startsWith(Name, Qt::CaseInsensitive)) {
            Character = QChar(Entity.Character);
            Length = Name.size();
            return true;
        }
    }
    return false;
}

QString DecodeEntities(const QString& Text) {
    QString Result;
    for (qsizetype I = 0; I < Text.size();) {
        QChar Character;
        qsizetype Length = 0;
        if (Text[I] == u'&' && MatchEntity(Text, I, Character, Length)) {
            Result += Character;
            I += Length;
        } else {
            Result += Text[I++];
        }
    }
    return Result;
}

// The target of an "a" tag's body (the text after "a"): href=value, the value in double or
// single quotes or up to the next blank. Empty when there is no href.
QString LinkTarget(QStringView Attributes) {
    const qsizetype Href = Attributes.indexOf(QLatin1String("href"), 0, Qt::CaseInsensitive);
    if (Href < 0) {
        return {};
    }
    QStringView Rest = Attributes.mid(Href + 4).trimmed();
    if (!Rest.startsWith(u'=')) {
        return {};
    }
    Rest = Rest.mid(1).trimmed();
    qsizetype End = 0;
    if (!Rest.isEmpty() && (Rest[0] == u'"' || Rest[0] == u'\'')) {
        const QChar Quote = Rest[0];
        Rest = Rest.mid(1);
        End = Rest.indexOf(Quote);
    } else {
        End = Rest.indexOf(u' ');
    }
    return DecodeEntities((End < 0 ? Rest : Rest.left(End)).toString());
}

// The tag whose body (between "<" and ">") is Body; false when it is none of ours.
bool ParseTag(QStringView Body, TToken& Tag) {
    const bool Closing = Body.startsWith(u'/');
    const QStringView Name = Closing ? Body.mid(1) : Body;
    for (int Style = 0; Style < StyleCount; ++Style) {
        const QLatin1String TagName(StyleTags[static_cast<std::size_t>(Style)]);
        const bool Exact = Name.compare(TagName, Qt::CaseInsensitive) == 0;
        const bool LinkWithAttributes = !Closing && Style == sLink &&
                                        Name.startsWith(TagName, Qt::CaseInsensitive) &&
                                        Name.size() > 1 && Name[1].isSpace();
        if (Exact || LinkWithAttributes) {
            Tag.Kind = Closing ? TToken::tkClose : TToken::tkOpen;
            Tag.Style = static_cast<TStyle>(Style);
            if (LinkWithAttributes) {
                Tag.LinkRef = LinkTarget(Name.mid(1));
            }
            return true;
        }
    }
    return false;
}

// Splits Markup into tokens, balancing the tags: an unmatched closing tag is dropped, open
// tags are closed at the end.
void Tokenize(const QString& Markup, const TTokenSink& Sink) {
    std::array<int, StyleCount> Open{};
    TToken Text;
    const auto FlushText = [&] {
        if (!Text.Text.isEmpty()) {
            Sink(Text);
            Text.Text.clear();
        }
    };
    qsizetype NextGreater = -1;
    for (qsizetype I = 0; I < Markup.size();) {
        const QChar C = Markup[I];
        if (C == u'\r' || C == u'\n') {
            FlushText();
            Sink(TToken{TToken::tkLineBreak, {}, {}, {}});
            I += (C == u'\r' && I + 1 < Markup.size() && Markup[I + 1] == u'\n') ? 2 : 1;
            continue;
        }
        if (C == u'<') {
            if (NextGreater < I) {
                NextGreater = Markup.indexOf(u'>', I);
                if (NextGreater < 0) {
                    NextGreater = Markup.size();
                }
            }
            TToken Tag;
            if (NextGreater < Markup.size() && NextGreater - I <= MaxTagLength &&
                ParseTag(QStringView(Markup).mid(I + 1, NextGreater - I - 1), Tag)) {
                int& Count = Open[Tag.Style];
                if (Tag.Kind == TToken::tkOpen || Count > 0) {
                    FlushText();
                    Count += Tag.Kind == TToken::tkOpen ? 1 : -1;
                    Sink(Tag);
                }
                I = NextGreater + 1;
                continue;
            }
        }
        QChar Character = C;
        qsizetype Length = 1;
        if (C == u'&') {
            MatchEntity(Markup, I, Character, Length);
        }
        Text.Text += Character;
        I += Length;
    }
    FlushText();
    for (int Style = StyleCount - 1; Style >= 0; --Style) {
        for (int K = 0; K < Open[static_cast<std::size_t>(Style)]; ++K) {
            Sink(TToken{TToken::tkClose, {}, static_cast<TStyle>(Style), {}});
        }
    }
}

// Text with break opportunities in its long words.
QString Breakable(const QString& Text) {
    QString Result;
    Result.reserve(Text.size() + Text.size() / WordPiece);
    qsizetype WordStart = 0;
    for (qsizetype I = 0; I <= Text.size(); ++I) {
        if (I < Text.size() && !Text[I].isSpace()) {
            continue;
        }
        const QStringView Word = QStringView(Text).mid(WordStart, I - WordStart);
        if (Word.size() > LongWord) {
            qsizetype Piece = 0;
            for (const QChar C : Word) {
                // Never between the halves of a surrogate pair or before a combining mark.
                if (Piece >= WordPiece && !C.isLowSurrogate() && !C.isMark()) {
                    Result += QChar(MarkupWrapPoint);
                    Piece = 0;
                }
                Result += C;
                ++Piece;
            }
        } else {
            Result += Word;
        }
        if (I < Text.size()) {
            Result += Text[I];
        }
        WordStart = I + 1;
    }
    return Result;
}

QString TokensToHtml(const QString& Markup) {
    QString Html;
    std::vector<bool> LinkHasTarget; // a link without a target is no link
    Tokenize(Markup, [&](const TToken& Token) {
        switch (Token.Kind) {
        case TToken::tkText:
            Html += Breakable(Token.Text).toHtmlEscaped();
            break;
        case TToken::tkLineBreak:
            Html += QLatin1String(HtmlLineBreak);
            break;
        case TToken::tkOpen:
            if (Token.Style != sLink) {
                Html += u'<' + QLatin1String(StyleTags[Token.Style]) + u'>';
            } else {
                LinkHasTarget.push_back(!Token.LinkRef.isEmpty());
                if (LinkHasTarget.back()) {
                    Html += QStringLiteral("<a href=\"") + Token.LinkRef.toHtmlEscaped() +
                            QStringLiteral("\">");
                }
            }
            break;
        case TToken::tkClose:
            if (Token.Style != sLink) {
                Html += QStringLiteral("</") + QLatin1String(StyleTags[Token.Style]) + u'>';
            } else {
                if (LinkHasTarget.back()) {
                    Html += QStringLiteral("</a>");
                }
                LinkHasTarget.pop_back();
            }
            break;
        }
    });
    return Html;
}

} // namespace

QString MarkupToHtml(const QString& Markup) {
    return QLatin1String(HtmlPrefix) + TokensToHtml(Markup) + QLatin1String(HtmlSuffix);
}

QString MarkupLinesToHtml(const QStringList& Lines) {
    QStringList Parts;
    Parts.reserve(Lines.size());
    for (const QString& Line : Lines) {
        Parts << TokensToHtml(Line);
    }
    return QLatin1String(HtmlPrefix) + Parts.join(QLatin1String(HtmlLineBreak)) +
           QLatin1String(HtmlSuffix);
}

QString MarkupToPlainText(const QString& Markup) {
    QString Plain;
    Tokenize(Markup, [&](const TToken& Token) {
        if (Token.Kind == TToken::tkText) {
            Plain += Token.Text;
        } else if (Token.Kind == TToken::tkLineBreak) {
            Plain += u'\n';
        }
    });
    return Plain;
}

QString EscapeMarkup(const QString& Text) {
    return Text.toHtmlEscaped();
}

} // namespace vx::taskdialog
