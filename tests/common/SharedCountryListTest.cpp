// The counted country-list handle: copies share one list and read as copies
// of it; a change through Edit or Rewrite never reaches another holder.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/SharedCountryList.h"

namespace {

std::vector<TCountry> Named(std::initializer_list<const char*> names) {
  std::vector<TCountry> list;
  for (const char* name : names) {
    TCountry& c = list.emplace_back();
    c.Name = name;
    TAssetSeries& index = c.IndexAssets.emplace_back();
    index.ID = "EQINDEX";
    index.Series = {{1.0, 100.0}, {2.0, 101.0}};
  }
  return list;
}

std::vector<std::string> Names(const std::vector<TCountry>& list) {
  std::vector<std::string> names;
  for (const TCountry& c : list) names.push_back(c.Name);
  return names;
}

TEST(SharedCountryList, EmptyHandlesReadAsAnEmptyListAndShareNothing) {
  const TSharedCountryList a;
  const TSharedCountryList b = a;
  EXPECT_TRUE(a.empty());
  EXPECT_EQ(a.size(), 0u);
  EXPECT_EQ(a.begin(), a.end());
  EXPECT_FALSE(a.SharesWith(b));
  const TSharedCountryList emptyList(std::vector<TCountry>{});
  EXPECT_TRUE(emptyList.empty());
  EXPECT_TRUE(emptyList.SharesWith(emptyList));
}

TEST(SharedCountryList, CopiesShareTheListUntilOneChangesIt) {
  TSharedCountryList original = Named({"USA", "JAPAN"});
  TSharedCountryList copy = original;
  ASSERT_TRUE(copy.SharesWith(original));
  EXPECT_EQ(&copy.List(), &original.List());
  EXPECT_EQ(&copy[1], &original[1]);

  // Edit on a shared handle copies first: the other holder keeps its points.
  copy.Edit()[1].IndexAssets[0].Series[0].Value = 1.0;
  EXPECT_FALSE(copy.SharesWith(original));
  EXPECT_EQ(original[1].IndexAssets[0].Series[0].Value, 100.0);
  EXPECT_EQ(copy[1].IndexAssets[0].Series[0].Value, 1.0);
  EXPECT_EQ(Names(copy), (std::vector<std::string>{"USA", "JAPAN"}));

  // Edit on a handle of its own changes its list in place.
  const std::vector<TCountry>* before = &copy.List();
  copy.Edit().pop_back();
  EXPECT_EQ(&copy.List(), before);
  EXPECT_EQ(copy.size(), 1u);
  EXPECT_EQ(original.size(), 2u);

  // Edit on an empty handle gives it a list of its own.
  TSharedCountryList empty;
  empty.Edit() = Named({"PERU"});
  EXPECT_EQ(Names(empty), (std::vector<std::string>{"PERU"}));
}

TEST(SharedCountryList, RewriteKeepsOnlyAnUnsharedList) {
  TSharedCountryList own = Named({"USA"});
  const std::vector<TCountry>* storage = &own.List();
  EXPECT_EQ(&own.Rewrite(), storage);  // alone: the same list, content kept for the writer
  EXPECT_EQ(own.size(), 1u);

  const TSharedCountryList other = own;
  std::vector<TCountry>& fresh = own.Rewrite();  // shared: a new empty list
  EXPECT_NE(&fresh, storage);
  EXPECT_TRUE(fresh.empty());
  EXPECT_EQ(Names(other), (std::vector<std::string>{"USA"}));
}

TEST(SharedCountryList, ReadsLikeTheListItHolds) {
  const TSharedCountryList list = {Named({"A"})[0], Named({"B"})[0]};
  const std::vector<TCountry>& asList = list;  // the conversion readers use
  EXPECT_EQ(&asList, &list.List());
  EXPECT_EQ(list.front().Name, "A");
  EXPECT_EQ(list.back().Name, "B");
  EXPECT_EQ(list.at(1).Name, "B");
  EXPECT_THROW((void)list.at(2), std::out_of_range);
  std::vector<std::string> walked;
  for (const TCountry& c : list) walked.push_back(c.Name);
  EXPECT_EQ(walked, (std::vector<std::string>{"A", "B"}));
}

}  // namespace
