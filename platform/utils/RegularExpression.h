#pragma once
#include <cstddef>
#include <memory>

#include "zentrik/platform/utils/Export.h"
#include "zentrik/platform/utils/String.h"

namespace Velmora {

/// Finds the successive matches of a POSIX extended pattern in a text, leftmost-longest, in time
/// linear in the text and without recursion (RE2). Failures are UtilsExceptions.
class ZENTRIK_API RegularExpression {
  public:
    /// Compiles `pattern` to search a copy of `text`; UtilsException 1 when the pattern is not valid.
    RegularExpression(const String& pattern, const String& text);

    RegularExpression(const RegularExpression&) = delete;
    RegularExpression& operator=(const RegularExpression&) = delete;
    ~RegularExpression();

    /// Whether another match remains in the text.
    bool hasExpression() const;
    /// The text of `group` (0: the whole match) of the next match; moves past that match.
    /// UtilsException when no match remains or the group does not exist.
    const String nextMatch(unsigned int group) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace Velmora
