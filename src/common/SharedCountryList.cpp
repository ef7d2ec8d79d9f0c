#include "common/SharedCountryList.h"

#include <utility>

TSharedCountryList::TSharedCountryList(std::vector<TCountry> list)
    : List_(std::make_shared<std::vector<TCountry>>(std::move(list))) {}

std::vector<TCountry>& TSharedCountryList::Edit() {
  if (List_ == nullptr)
    List_ = std::make_shared<std::vector<TCountry>>();
  else if (List_.use_count() > 1)
    List_ = std::make_shared<std::vector<TCountry>>(*List_);
  return *List_;
}

std::vector<TCountry>& TSharedCountryList::Rewrite() {
  if (List_ == nullptr || List_.use_count() > 1) List_ = std::make_shared<std::vector<TCountry>>();
  return *List_;
}

const std::vector<TCountry>& TSharedCountryList::Empty() {
  static const std::vector<TCountry> kEmpty;
  return kEmpty;
}
