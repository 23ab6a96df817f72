#include "catalogue/obj_table.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "catalogue/obj_view.h"

namespace catalogue {
namespace {

void AppendRecord(ObjTable& t, int id, const std::string& name = "", int count = 0) {
  t.Append();
  t.SetInteger(Field::ObjID, id);
  t.SetText(Field::ObjName, name);
  t.SetInteger(Field::ScreeningCountTotal, count);
  t.Post();
}

std::vector<int> IdsOf(ObjTable& t) {
  std::vector<int> ids;
  for (t.First(); !t.Eof(); t.Next()) ids.push_back(t.Integer(Field::ObjID));
  return ids;
}

std::vector<int> IdsOf(ObjView& v) {
  std::vector<int> ids;
  for (v.First(); !v.Eof(); v.Next()) ids.push_back(v.Integer(Field::ObjID));
  return ids;
}

TEST(ObjRecord, TextsAreCutToTheirWidthAndNullsReadAsZero) {
  ObjRecord r;
  for (int i = 0; i < kFieldCount; ++i) EXPECT_TRUE(r.IsNull(static_cast<Field>(i)));
  EXPECT_EQ(r.Integer(Field::ObjID), 0);
  EXPECT_EQ(r.Text(Field::ObjName), "");
  EXPECT_FALSE(r.Boolean(Field::ObjEnabled));
  EXPECT_EQ(r.DateTime(Field::EndDate), 0.0);

  r.SetText(Field::ObjName, std::string(60, 'n'));
  r.SetText(Field::ObjType, "HS");
  r.SetText(Field::ObjDescription, std::string(241, '\xE4'));
  EXPECT_EQ(r.Text(Field::ObjName), std::string(50, 'n'));
  EXPECT_EQ(r.Text(Field::ObjType), "H");
  EXPECT_EQ(r.Text(Field::ObjDescription), std::string(240, '\xE4'));

  r.SetDateTime(Field::EndDate, 0);
  EXPECT_FALSE(r.IsNull(Field::EndDate));
  EXPECT_THROW(r.Integer(Field::ObjName), std::logic_error);
  EXPECT_THROW(r.SetText(Field::ObjID, "1"), std::logic_error);
  EXPECT_EQ(FieldByName("objid"), Field::ObjID);
  EXPECT_FALSE(FieldByName("ObjIDs"));
}

TEST(ObjTable, CursorAppendEditPostCancelDelete) {
  ObjTable t;
  t.First();
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(t.RecordCount(), 0);
  EXPECT_THROW(t.SetInteger(Field::ObjID, 1), std::logic_error);  // not editing

  for (int id : {1, 2, 3, 4}) AppendRecord(t, id);
  EXPECT_EQ(t.Integer(Field::ObjID), 4);  // the posted record is current
  EXPECT_EQ(IdsOf(t), (std::vector<int>{1, 2, 3, 4}));

  t.Append();
  t.SetInteger(Field::ObjID, 99);
  t.Cancel();
  EXPECT_EQ(t.RecordCount(), 4);

  ASSERT_TRUE(t.Locate(Field::ObjID, 2));
  t.Edit();
  t.SetText(Field::ObjName, "two");
  EXPECT_EQ(t.Text(Field::ObjName), "two");  // reads see the edit buffer
  t.Next();                                  // moving posts the edit
  EXPECT_EQ(t.Integer(Field::ObjID), 3);
  ASSERT_TRUE(t.Locate(Field::ObjID, 2));
  EXPECT_EQ(t.Text(Field::ObjName), "two");

  t.Delete();  // moves to the following record
  EXPECT_EQ(t.Integer(Field::ObjID), 3);
  t.Locate(Field::ObjID, 4);
  t.Delete();
  EXPECT_TRUE(t.Eof());
  EXPECT_EQ(IdsOf(t), (std::vector<int>{1, 3}));

  // Deleting while walking visits every record once.
  for (int id = 10; id < 20; ++id) AppendRecord(t, id);
  for (t.First(); !t.Eof();)
    if (t.Integer(Field::ObjID) % 2 == 1)
      t.Delete();
    else
      t.Next();
  EXPECT_EQ(IdsOf(t), (std::vector<int>{10, 12, 14, 16, 18}));

  t.Empty();
  EXPECT_EQ(t.RecordCount(), 0);
  EXPECT_TRUE(t.Eof());
}

TEST(ObjTable, LocateFindsTheFirstMatchAndFollowsChanges) {
  ObjTable t;
  AppendRecord(t, 5, "a", 1);
  AppendRecord(t, 7, "b", 2);
  AppendRecord(t, 5, "c", 3);
  ASSERT_TRUE(t.Locate(Field::ObjID, 5));
  EXPECT_EQ(t.Text(Field::ObjName), "a");
  EXPECT_TRUE(t.Locate(Field::ObjName, "c"));
  EXPECT_EQ(t.Integer(Field::ScreeningCountTotal), 3);

  const Bookmark here = t.GetBookmark();
  EXPECT_FALSE(t.Locate(Field::ObjID, 6));
  EXPECT_EQ(t.GetBookmark(), here);  // a failed lookup keeps the cursor
  EXPECT_FALSE(t.Locate(Field::ObjName, std::string(51, 'c')));

  // Change the first 5 to 6: the lookup now finds the other 5.
  t.Locate(Field::ObjID, 5);
  t.Edit();
  t.SetInteger(Field::ObjID, 6);
  t.Post();
  ASSERT_TRUE(t.Locate(Field::ObjID, 5));
  EXPECT_EQ(t.Text(Field::ObjName), "c");
  ASSERT_TRUE(t.Locate(Field::ObjID, 6));
  EXPECT_EQ(t.Text(Field::ObjName), "a");
  EXPECT_FALSE(t.Locate(Field::ObjEnabled, false));  // nulls equal no value

  t.Locate(Field::ObjID, 7);
  const Bookmark seven = t.GetBookmark();
  t.First();
  ASSERT_TRUE(t.GotoBookmark(seven));
  EXPECT_EQ(t.Text(Field::ObjName), "b");
  t.Delete();
  t.First();
  EXPECT_FALSE(t.GotoBookmark(seven));
  EXPECT_EQ(t.Integer(Field::ObjID), 6);
}

TEST(ObjTable, LookupsAgreeWithAScanUnderRandomChanges) {
  std::mt19937 random(11);
  ObjTable t;
  for (int step = 0; step < 4000; ++step) {
    const int op = random() % 10;
    if (op < 4 || t.RecordCount() == 0) {
      AppendRecord(t, random() % 50, "n" + std::to_string(random() % 20));
    } else if (op < 7) {
      t.Locate(Field::ObjID, int(random() % 50));
      if (!t.Eof()) {
        t.Edit();
        t.SetInteger(Field::ObjID, random() % 50);
        if (random() % 2) t.SetText(Field::ObjName, "n" + std::to_string(random() % 20));
        t.Post();
      }
    } else if (op < 9) {
      if (t.Locate(Field::ObjName, "n" + std::to_string(random() % 20))) t.Delete();
    } else if (random() % 50 == 0) {
      t.Empty();
    }
    const int id = random() % 50;
    Bookmark expected = 0;
    for (t.First(); !t.Eof(); t.Next())
      if (t.Integer(Field::ObjID) == id) {
        expected = t.GetBookmark();
        break;
      }
    const bool found = t.Locate(Field::ObjID, id);
    ASSERT_EQ(found, expected != 0) << step;
    if (found) {
      ASSERT_EQ(t.GetBookmark(), expected) << step;
    }
  }
}

TEST(ObjTable, ObserversHearEveryChange) {
  ObjTable t;
  std::vector<std::pair<ChangeKind, std::uint32_t>> heard;
  const int id = t.AddObserver([&](const TableChange& c) { heard.emplace_back(c.kind, c.fields); });
  AppendRecord(t, 1);
  t.Edit();
  t.SetInteger(Field::RatingConst, 4);
  t.Post();
  t.Edit();
  t.SetInteger(Field::RatingConst, 4);  // no actual change: nothing to tell
  t.Post();
  t.Delete();
  t.Assign({ObjRecord()});
  t.RemoveObserver(id);
  t.Empty();
  ASSERT_EQ(heard.size(), 4u);
  EXPECT_EQ(heard[0].first, ChangeKind::Appended);
  EXPECT_EQ(heard[1], std::make_pair(ChangeKind::Updated, 1u << int(Field::RatingConst)));
  EXPECT_EQ(heard[2].first, ChangeKind::Deleted);
  EXPECT_EQ(heard[3].first, ChangeKind::Reset);
}

TEST(ObjView, OwnCursorSortAndReadOnly) {
  ObjTable t;
  AppendRecord(t, 1, "beta", 5);
  AppendRecord(t, 2, "Alpha", 3);
  AppendRecord(t, 3, "gamma", 5);
  AppendRecord(t, 4, "alpha", 1);
  ObjView v(t);
  EXPECT_EQ(IdsOf(v), (std::vector<int>{1, 2, 3, 4}));

  v.Sort(Field::ScreeningCountTotal, false);
  EXPECT_EQ(IdsOf(v), (std::vector<int>{4, 2, 1, 3}));  // ties keep table order
  v.Sort(Field::ScreeningCountTotal, true);
  EXPECT_EQ(IdsOf(v), (std::vector<int>{1, 3, 2, 4}));
  v.Sort(Field::ObjName, false);
  EXPECT_EQ(IdsOf(v), (std::vector<int>{2, 4, 1, 3}));  // letter case aside
  EXPECT_EQ(IdsOf(t), (std::vector<int>{1, 2, 3, 4}));  // the table keeps its order

  t.Locate(Field::ObjID, 3);
  v.MoveTo(2);
  EXPECT_EQ(v.Integer(Field::ObjID), 4);
  EXPECT_EQ(t.Integer(Field::ObjID), 3);  // two cursors
  v.Last();
  EXPECT_EQ(v.RecNo(), 4);
  EXPECT_FALSE(v.Eof());
  v.Prior();
  EXPECT_EQ(v.Integer(Field::ObjID), 1);
  v.First();
  EXPECT_TRUE(v.Bof());
  v.Prior();
  EXPECT_EQ(v.RecNo(), 1);
  ASSERT_TRUE(v.Locate(Field::ObjID, 1));
  EXPECT_EQ(v.RecNo(), 3);

  EXPECT_TRUE(v.ReadOnly());
  EXPECT_THROW(v.Edit(), std::logic_error);
  v.SetReadOnly(false);
  v.Edit();
  v.SetText(Field::ObjName, "zeta");
  v.Next();  // moving posts the edit into the table
  ASSERT_TRUE(t.Locate(Field::ObjID, 1));
  EXPECT_EQ(t.Text(Field::ObjName), "zeta");
  EXPECT_EQ(IdsOf(v), (std::vector<int>{2, 4, 3, 1}));
}

TEST(ObjView, FollowsTableChangesAtOnceAndKeepsItsRecord) {
  ObjTable t;
  for (int id = 1; id <= 5; ++id) AppendRecord(t, id, "", 10 * id);
  ObjView v(t);
  v.Sort(Field::ScreeningCountTotal, true);
  ASSERT_TRUE(v.Locate(Field::ObjID, 3));

  AppendRecord(t, 6, "", 35);  // lands in its sorted place
  EXPECT_EQ(v.RecordCount(), 6);
  EXPECT_EQ(IdsOf(v), (std::vector<int>{5, 4, 6, 3, 2, 1}));

  v.Locate(Field::ObjID, 3);
  t.Locate(Field::ObjID, 2);
  t.Edit();
  t.SetInteger(Field::ScreeningCountTotal, 100);  // moves to the top
  t.Post();
  EXPECT_EQ(v.Integer(Field::ObjID), 3);  // the view's record stays current
  EXPECT_EQ(v.RecNo(), 5);
  EXPECT_EQ(IdsOf(v), (std::vector<int>{2, 5, 4, 6, 3, 1}));

  v.Locate(Field::ObjID, 6);
  t.Locate(Field::ObjID, 6);
  t.Delete();  // the view's current record goes: it moves to the next one
  EXPECT_EQ(v.Integer(Field::ObjID), 3);
  t.Locate(Field::ObjID, 1);
  t.Edit();
  t.SetText(Field::ObjName, "seen");
  t.Post();
  v.Locate(Field::ObjID, 1);
  EXPECT_EQ(v.Text(Field::ObjName), "seen");

  t.Empty();
  EXPECT_EQ(v.RecordCount(), 0);
  EXPECT_TRUE(v.Eof());
  t.Assign({ObjRecord(), ObjRecord()});
  EXPECT_EQ(v.RecordCount(), 2);
  EXPECT_EQ(v.RecNo(), 1);
}

TEST(ObjView, OrderAgreesWithAStableSortUnderRandomChanges) {
  std::mt19937 random(5);
  ObjTable t;
  ObjView v(t);
  int mode = 0;  // 0 table order, 1 ascending, 2 descending
  for (int step = 0; step < 3000; ++step) {
    const int op = random() % 12;
    if (op < 5 || t.RecordCount() == 0) {
      AppendRecord(t, step, "", random() % 8);
    } else if (op < 8) {
      t.First();
      for (int k = random() % t.RecordCount(); k > 0; --k) t.Next();
      t.Edit();
      t.SetInteger(Field::ScreeningCountTotal, random() % 8);
      t.Post();
    } else if (op < 10) {
      t.First();
      for (int k = random() % t.RecordCount(); k > 0; --k) t.Next();
      t.Delete();
    } else if (op == 10) {
      mode = 1 + random() % 2;
      v.Sort(Field::ScreeningCountTotal, mode == 2);
    } else if (random() % 4 == 0) {
      mode = 0;
      v.Unsort();
    }
    if (random() % 3) continue;  // let changes pile up between looks

    std::vector<std::pair<int, int>> model;  // (count, id) in table order
    for (t.First(); !t.Eof(); t.Next())
      model.emplace_back(t.Integer(Field::ScreeningCountTotal), t.Integer(Field::ObjID));
    if (mode) {
      std::stable_sort(model.begin(), model.end(), [&](auto& a, auto& b) {
        return mode == 2 ? a.first > b.first : a.first < b.first;
      });
    }
    std::vector<int> expected;
    for (auto& p : model) expected.push_back(p.second);
    ASSERT_EQ(IdsOf(v), expected) << step;
  }
}

}  // namespace
}  // namespace catalogue
