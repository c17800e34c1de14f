#include "results/result_translation.h"

#include <QCoreApplication>
#include <cstring>
#include <vector>

#include "results/result_texts.h"

namespace {

// A template as literal pieces and the placeholders between them: "a%1b%2" is the pieces
// "a", "b", "" and the placeholders 1, 2.
struct Pattern {
    std::vector<std::string> pieces;
    std::vector<int> places;
};

Pattern PatternOf(const char* textTemplate) {
    Pattern pattern;
    pattern.pieces.emplace_back();
    for (const char* p = textTemplate; *p != '\0'; ++p) {
        if (*p == '%' && p[1] >= '1' && p[1] <= '9') {
            pattern.places.push_back(p[1] - '0');
            pattern.pieces.emplace_back();
            ++p;
        } else {
            pattern.pieces.back() += *p;
        }
    }
    return pattern;
}

// Whether text[from...] matches the pattern from placeholder `slot` on; each placeholder
// takes the shortest non-empty part that lets the rest match.
bool MatchFrom(const Pattern& pattern, const std::string& text, std::size_t from, std::size_t slot,
               std::vector<std::string>& captures) {
    const std::string& piece = pattern.pieces[slot + 1];
    if (slot + 1 == pattern.pieces.size() - 1) {
        // The last placeholder takes all up to the final piece.
        if (text.size() < from + piece.size() + 1) return false;
        if (text.compare(text.size() - piece.size(), piece.size(), piece) != 0) return false;
        captures[slot] = text.substr(from, text.size() - piece.size() - from);
        return true;
    }
    for (std::size_t at = text.find(piece, from + 1); at != std::string::npos;
         at = text.find(piece, at + 1)) {
        captures[slot] = text.substr(from, at - from);
        if (MatchFrom(pattern, text, at + piece.size(), slot + 1, captures)) return true;
    }
    return false;
}

bool Match(const Pattern& pattern, const std::string& text, std::vector<std::string>& captures) {
    const std::string& head = pattern.pieces.front();
    if (text.compare(0, head.size(), head) != 0) return false;
    if (pattern.places.empty()) return text == head;
    captures.assign(pattern.places.size(), std::string());
    return MatchFrom(pattern, text, head.size(), 0, captures);
}

std::size_t LiteralLength(const Pattern& pattern) {
    std::size_t length = 0;
    for (const std::string& piece : pattern.pieces) length += piece.size();
    return length;
}

// The translation with %1, %2, ... replaced at once, so that a part holding "%" stays whole.
QString Filled(const QString& translation, const std::vector<QString>& args) {
    QString text;
    for (qsizetype i = 0; i < translation.size(); ++i) {
        const QChar c = translation[i];
        if (c == QLatin1Char('%') && i + 1 < translation.size() &&
            translation[i + 1] >= QLatin1Char('1') && translation[i + 1] <= QLatin1Char('9') &&
            static_cast<std::size_t>(translation[i + 1].digitValue()) <= args.size()) {
            text += args[translation[i + 1].digitValue() - 1];
            ++i;
        } else {
            text += c;
        }
    }
    return text;
}

}  // namespace

QString TranslatedResultText(const std::string& text) {
    return TranslatedText("ResultTexts", ResultTextTemplates(), text);
}

QString TranslatedText(const char* context, const std::vector<const char*>& templates,
                       const std::string& text) {
    const auto translate = [context](const char* source) {
        return QCoreApplication::translate(context, source);
    };
    const char* best = nullptr;
    std::size_t bestLength = 0;
    std::vector<std::string> bestCaptures, captures;
    std::vector<int> bestPlaces;
    for (const char* source : templates) {
        const Pattern pattern = PatternOf(source);
        const std::size_t length = LiteralLength(pattern);
        if ((best == nullptr || length > bestLength) && Match(pattern, text, captures)) {
            best = source;
            bestLength = length;
            bestCaptures = captures;
            bestPlaces = pattern.places;
        }
    }
    if (best != nullptr) {
        std::vector<QString> args(9);
        for (std::size_t i = 0; i < bestPlaces.size(); ++i)
            args[bestPlaces[i] - 1] = TranslatedText(context, templates, bestCaptures[i]);
        return Filled(translate(best), args);
    }
    // A list: each item translated, joined as the language joins them.
    const std::string separator = result_text::kListSeparator;
    if (const std::size_t at = text.find(separator); at != std::string::npos) {
        return TranslatedText(context, templates, text.substr(0, at)) +
               QCoreApplication::translate("ResultTexts", result_text::kListSeparator) +
               TranslatedText(context, templates, text.substr(at + separator.size()));
    }
    // A row's name followed by its value ("抗拉强度 Rm 12000 MPa").
    for (const char* source : templates) {
        const std::size_t length = std::strlen(source);
        if (std::strchr(source, '%') == nullptr && text.size() > length &&
            text.compare(0, length, source) == 0 && text[length] == ' ')
            return translate(source) + QString::fromStdString(text.substr(length));
    }
    return QString::fromStdString(text);
}
