#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "graphics/graphics_types.h"

namespace plugkit::graphics {
namespace {

using Rects = std::vector<IRECT>;

IRECTList ListOf(const Rects& rects) {
  IRECTList list;
  for (const IRECT& r : rects) list.Add(r);
  return list;
}

Rects RectsOf(const IRECTList& list) {
  Rects rects;
  for (int i = 0; i < list.Size(); ++i) rects.push_back(list.Get(i));
  return rects;
}

TEST(RectListTest, SplitCutsACornerIntoOneAppendedAndOneAnsweredPiece) {
  struct Case {
    IRECT r, x, kept, appended;
  };
  const Case cases[] = {
      {{0, 0, 10, 10}, {0, 0, 4, 4}, {0, 4, 10, 10}, {4, 0, 10, 4}},    // top left
      {{0, 0, 10, 10}, {0, 6, 4, 10}, {4, 6, 10, 10}, {0, 0, 10, 6}},   // bottom left
      {{0, 0, 10, 10}, {6, 0, 10, 4}, {0, 4, 10, 10}, {0, 0, 6, 4}},    // top right
      {{0, 0, 10, 10}, {6, 6, 10, 10}, {0, 6, 6, 10}, {0, 0, 10, 6}},   // bottom right
  };
  for (const Case& c : cases) {
    IRECTList list;
    EXPECT_EQ(list.Split(c.r, c.x), c.kept);
    EXPECT_EQ(RectsOf(list), Rects{c.appended});
  }
}

TEST(RectListTest, OptimizeDrawsEachAreaOnceWithTheFewestRectangles) {
  struct Case {
    const char* what;
    Rects in, out;
  };
  const Case cases[] = {
      {"the later contains the earlier", {{2, 2, 5, 5}, {0, 0, 10, 10}}, {{0, 0, 10, 10}}},
      {"the earlier contains the later", {{0, 0, 10, 10}, {2, 2, 5, 5}, {20, 0, 30, 10}},
       {{0, 0, 10, 10}, {20, 0, 30, 10}}},
      {"touching side by side", {{0, 0, 10, 10}, {10, 0, 20, 10}}, {{0, 0, 20, 10}}},
      {"touching one above the other", {{0, 0, 10, 5}, {0, 5, 10, 10}, {0, 10, 10, 12}}, {{0, 0, 10, 12}}},
      {"the first loses the overlap", {{5, 5, 20, 10}, {0, 0, 10, 10}}, {{10, 5, 20, 10}, {0, 0, 10, 10}}},
      {"the second loses the overlap", {{0, 0, 10, 10}, {5, 5, 20, 10}}, {{0, 0, 10, 10}, {10, 5, 20, 10}}},
      {"the smaller is split", {{0, 0, 10, 10}, {5, 5, 25, 25}}, {{0, 5, 5, 10}, {5, 5, 25, 25}, {0, 0, 10, 5}}},
      {"of equal areas the second is split", {{0, 0, 10, 10}, {5, 5, 15, 15}},
       {{0, 0, 10, 10}, {5, 10, 15, 15}, {10, 5, 15, 10}}},
      {"a cross keeps both arms", {{10, 0, 20, 100}, {0, 40, 100, 60}},
       {{10, 0, 20, 40}, {0, 40, 100, 60}, {10, 60, 20, 100}}},
      {"all-zero rectangles drop out", {{}, {0, 0, 10, 10}, {}}, {{0, 0, 10, 10}}},
  };
  for (const Case& c : cases) {
    IRECTList list = ListOf(c.in);
    list.Optimize();
    EXPECT_EQ(RectsOf(list), c.out) << c.what;
  }
}

// How many rectangles cover each cell of a grid.
std::vector<int> Coverage(const Rects& rects, int side) {
  std::vector<int> counts(side * side, 0);
  for (const IRECT& r : rects)
    for (int y = static_cast<int>(r.T); y < static_cast<int>(r.B); ++y)
      for (int x = static_cast<int>(r.L); x < static_cast<int>(r.R); ++x) ++counts[y * side + x];
  return counts;
}

TEST(RectListTest, OptimizedRandomListsCoverTheSameCellsOnce) {
  constexpr int kSide = 24;
  std::mt19937 random(28);
  std::uniform_int_distribution<int> coordinate(0, kSide);
  std::uniform_int_distribution<int> count(2, 8);
  for (int list = 0; list < 2000; ++list) {
    Rects rects;
    for (int i = count(random); i > 0; --i) {
      const auto [l, r] = std::minmax({coordinate(random), coordinate(random)});
      const auto [t, b] = std::minmax({coordinate(random), coordinate(random)});
      if (l < r && t < b) rects.emplace_back(l, t, r, b);
    }
    IRECTList optimized = ListOf(rects);
    optimized.Optimize();
    std::vector<int> before = Coverage(rects, kSide);
    for (int& cell : before) cell = cell > 0 ? 1 : 0;
    ASSERT_EQ(Coverage(RectsOf(optimized), kSide), before) << "list " << list;
  }
}

}  // namespace
}  // namespace plugkit::graphics
