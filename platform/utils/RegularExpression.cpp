#include "zentrik/platform/utils/RegularExpression.h"

#include <re2/re2.h>

#include <string>
#include <vector>

#include "zentrik/platform/utils/Exception.h"

namespace Velmora {

namespace {

// Room for the automata of long patterns on long texts; RE2 takes it only as it needs it.
constexpr std::int64_t kMaxMemory = std::int64_t{64} << 20;

RE2::Options matchingOptions() {
    RE2::Options options;
    options.set_posix_syntax(true);
    options.set_longest_match(true);
    options.set_log_errors(false);
    options.set_max_mem(kMaxMemory);
    return options;
}

// Octets of the UTF-8 character that starts with `lead`, so that an empty match steps a whole character.
std::size_t characterLength(unsigned char lead) {
    if (lead >= 0xF0) return 4;
    if (lead >= 0xE0) return 3;
    if (lead >= 0xC0) return 2;
    return 1;
}

}  // namespace

// The compiled pattern, the text in UTF-8 and where the search goes on. The next match, once found by
// hasExpression, is kept until nextMatch takes it.
struct RegularExpression::Impl {
    Impl(const std::string& pattern, std::string utf8Text)
        : expression(pattern, matchingOptions()), text(std::move(utf8Text)) {}

    // Finds the next match from `position` on, unless it is already known.
    void search() {
        if (searched) return;
        searched = true;
        found = false;
        if (position > text.size()) return;
        re2::StringPiece match;
        if (expression.Match(text, position, text.size(), RE2::UNANCHORED, &match, 1)) {
            found = true;
            matchBegin = static_cast<std::size_t>(match.data() - text.data());
            matchEnd = matchBegin + match.size();
        }
    }

    // Moves past the current match: to its end, or one character on after an empty match.
    void advance() {
        if (matchEnd > matchBegin)
            position = matchEnd;
        else
            position = matchBegin < text.size()
                           ? matchBegin + characterLength(static_cast<unsigned char>(text[matchBegin]))
                           : text.size() + 1;
        searched = false;
        found = false;
    }

    RE2 expression;
    std::string text;
    std::size_t position = 0;
    bool searched = false;
    bool found = false;
    std::size_t matchBegin = 0;
    std::size_t matchEnd = 0;
};

RegularExpression::RegularExpression(const String& pattern, const String& text)
    : impl_(std::make_unique<Impl>(pattern.toUTF8(), text.toUTF8())) {
    if (!impl_->expression.ok()) {
        throw UtilsException(1, "RegularExpression::RegularExpression(const String&, const String&)",
                             "invalid pattern: " + impl_->expression.error());
    }
}

RegularExpression::~RegularExpression() = default;

bool RegularExpression::hasExpression() const {
    impl_->search();
    return impl_->found;
}

const String RegularExpression::nextMatch(unsigned int group) const {
    static constexpr const char* kOperation = "RegularExpression::nextMatch(unsigned int) const";
    Impl& state = *impl_;
    state.search();
    if (!state.found) throw UtilsException(2, kOperation, "no match left in the text");
    const int groups = state.expression.NumberOfCapturingGroups();
    if (group > static_cast<unsigned int>(groups))
        throw UtilsException(2, kOperation, "the pattern has no group " + std::to_string(group));

    String result;
    if (group == 0) {
        result = String::fromUTF8(
            std::string_view(state.text).substr(state.matchBegin, state.matchEnd - state.matchBegin));
    } else {
        // The bounds are known: match them again, anchored at both ends, for the groups.
        std::vector<re2::StringPiece> pieces(static_cast<std::size_t>(group) + 1);
        if (state.expression.Match(state.text, state.matchBegin, state.matchEnd, RE2::ANCHOR_BOTH,
                                   pieces.data(), static_cast<int>(pieces.size())) &&
            pieces[group].data() != nullptr) {
            result = String::fromUTF8(std::string_view(pieces[group].data(), pieces[group].size()));
        }
    }
    state.advance();
    return result;
}

}  // namespace Velmora
