#include "common/ptr_list.h"

#include <gtest/gtest.h>

#include <vector>

namespace plugkit {
namespace {

struct Tracked {
  explicit Tracked(std::vector<int>* log, int id) : mLog(log), mId(id) {}
  ~Tracked() { mLog->push_back(mId); }
  std::vector<int>* mLog;
  int mId;
};

TEST(PtrListTest, AddInsertFindAndDelete) {
  int a = 1, b = 2, c = 3;
  PtrList<int> list;
  list.Add(&a);
  list.Add(&c);
  list.Insert(1, &b);
  list.Insert(99, &a);
  ASSERT_EQ(list.GetSize(), 4);
  EXPECT_EQ(*list.Get(1), 2);
  EXPECT_EQ(list.Get(3), &a);
  EXPECT_EQ(list.Get(4), nullptr);
  EXPECT_EQ(list.Get(-1), nullptr);
  EXPECT_EQ(list.Find(&c), 2);

  list.Delete(0);
  EXPECT_EQ(list.GetSize(), 3);
  EXPECT_EQ(list.Get(0), &b);
  int other = 0;
  EXPECT_EQ(list.Find(&other), -1);
}

TEST(PtrListTest, EmptyDeletesLastFirstWithTheFreeFunctionWhenGiven) {
  std::vector<int> log;
  PtrList<Tracked> list;
  for (int id = 0; id < 3; ++id) list.Add(new Tracked(&log, id));
  list.Empty(true);
  EXPECT_EQ(log, (std::vector<int>{2, 1, 0}));
  EXPECT_EQ(list.GetSize(), 0);

  log.clear();
  std::vector<int> freed;
  list.Add(new Tracked(&log, 7));
  list.Empty(true, [&](Tracked* item) {
    freed.push_back(item->mId);
    delete item;
  });
  EXPECT_EQ(freed, std::vector<int>{7});

  Tracked kept(&log, 9);
  list.Add(&kept);
  list.Empty();
  EXPECT_EQ(list.GetSize(), 0);
}

}  // namespace
}  // namespace plugkit
