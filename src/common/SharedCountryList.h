#pragma once
// A country list held by a counted handle, so that the records, evaluators
// and baskets of one calculation that hold the same list (the input list cut
// to the same points) share one copy of it instead of one each.
//
// A handle behaves as a list of its own: copies of it read the same points,
// and a change goes through Edit() or Rewrite(), which first give the handle
// a list of its own when another handle shares it (copy on write). Reads take
// the const list (List(), or the implicit conversion where a function reads a
// `const std::vector<TCountry>&`).

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <vector>

#include "common/Records.h"

class TSharedCountryList {
 public:
  using value_type = TCountry;
  using size_type = std::size_t;
  using const_iterator = std::vector<TCountry>::const_iterator;
  using iterator = const_iterator;

  TSharedCountryList() = default;
  // A handle of its own holding `list` (a record's list assigned from a list).
  TSharedCountryList(std::vector<TCountry> list);  // NOLINT(google-explicit-constructor)
  TSharedCountryList(std::initializer_list<TCountry> list) : TSharedCountryList(std::vector<TCountry>(list)) {}

  const std::vector<TCountry>& List() const { return List_ ? *List_ : Empty(); }
  operator const std::vector<TCountry>&() const { return List(); }  // NOLINT(google-explicit-constructor)

  std::size_t size() const { return List().size(); }
  bool empty() const { return List().empty(); }
  const TCountry& operator[](std::size_t i) const { return List()[i]; }
  const TCountry& at(std::size_t i) const { return List().at(i); }
  const TCountry& front() const { return List().front(); }
  const TCountry& back() const { return List().back(); }
  const_iterator begin() const { return List().begin(); }
  const_iterator end() const { return List().end(); }

  // The list to change in place: the handle's own, copied first when another
  // handle shares it.
  std::vector<TCountry>& Edit();
  // The list to write over whole: the handle's own (its storage kept) when no
  // other handle shares it, else a new empty list.
  std::vector<TCountry>& Rewrite();
  // Whether both handles hold one list (an empty handle shares with none).
  bool SharesWith(const TSharedCountryList& other) const { return List_ != nullptr && List_ == other.List_; }

 private:
  static const std::vector<TCountry>& Empty();
  std::shared_ptr<std::vector<TCountry>> List_;  // written only while no other handle holds it
};
