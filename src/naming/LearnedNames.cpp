#include "naming/LearnedNames.h"

#include "decode/CaptureModel.h"

namespace corvanta {

bool AddLearnedName(CaptureModel& model, std::span<const uint8_t> address, std::string_view name) {
  if (name.empty()) return false;
  bool inserted = false;
  NameNode& node = model.Names.FindOrInsert(NameKey::Of(address), inserted);
  if (!inserted) return false;
  int32_t index = model.Objects.New<TNameHead>();
  model.Objects.Get<TNameHead>(index).Name.Assign(name.substr(0, kLearnedNameMax));
  node.NameIndex = index;
  return true;
}

std::string_view LookupLearnedName(const CaptureModel& model, std::span<const uint8_t> address) {
  const NameNode* node = model.Names.Find(NameKey::Of(address));
  if (!node) return {};
  return model.Objects.Get<TNameHead>(node->NameIndex).Name.View();
}

}  // namespace corvanta
