#pragma once
// The problems an import finds in a text, each at a line, gathered so that one refusal names them
// all: the user mends the file once instead of once per problem.
#include <cstddef>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace sorvek {

// The most problems a refusal lists; the rest are counted.
inline constexpr std::size_t kMaxListedProblems = 100;

class LineProblems {
  public:
    // Adds the problem `reason` at line `line` (1-based). The same problem at the same line
    // (an item in each occurrence of a table) is kept once.
    void add(int line, std::string reason);
    bool empty() const { return list_.empty(); }
    std::size_t size() const { return list_.size(); }

    // One line "行 N: <reason>" per problem in the order of the lines (those of one line in the
    // order found), joined by line feeds, at most kMaxListedProblems; then
    // "ほかに K 件の問題があります。" for the K others. Empty without problems.
    std::string text() const;

  private:
    std::vector<std::pair<int, std::string>> list_;
    std::set<std::pair<int, std::string>> seen_;
};

}  // namespace sorvek
