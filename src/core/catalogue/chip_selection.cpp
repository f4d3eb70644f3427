#include "core/catalogue/chip_selection.h"

#include <cctype>

#include "core/catalogue/catalogue.h"
#include "core/catalogue/chip_geometry.h"
#include "resources/ids.h"

namespace tarnwick {
namespace {

// What static 1017 shows while no record is selected.
const std::string kNoCapacity(1, '0');

bool EqualIgnoringCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

}  // namespace

std::string ChipSelection::List::Text() const {
  if (selected < 0 || selected >= static_cast<int>(items.size())) return "";
  return items[static_cast<std::size_t>(selected)];
}

ChipSelection::ChipSelection(const Catalogue& catalogue, WindowSurface& surface)
    : catalogue_(catalogue),
      surface_(surface),
      types_{ids::kTypeList, {}},
      makers_{ids::kMakerList, {}},
      models_{ids::kModelList, {}} {}

void ChipSelection::Show(List& list) {
  surface_.SetListItems(list.id, list.items);
  surface_.SetListSelection(list.id, list.selected);
}

void ChipSelection::Select(List& list, int index) {
  list.selected = index >= 0 && index < static_cast<int>(list.items.size()) ? index : -1;
  surface_.SetListSelection(list.id, list.selected);
}

int ChipSelection::FindExact(const List& list, const std::string& text) {
  for (std::size_t i = 0; i < list.items.size(); ++i) {
    if (EqualIgnoringCase(list.items[i], text)) return static_cast<int>(i);
  }
  return -1;
}

void ChipSelection::Initialise() {
  std::lock_guard lock(mutex_);
  FillTypeList();
  FillMakerList(false);
  FillModelList(false);
  if (const ChipRecord* first = catalogue_.Record(0); first && buildParameters_) {
    buildParameters_(*first, AdapterFlag());
  }
  ApplySelection();
}

void ChipSelection::FillTypeList() {
  std::lock_guard lock(mutex_);
  catalogue_.ListTypes(types_.items);
  types_.selected = types_.items.empty() ? -1 : 0;
  Show(types_);
}

void ChipSelection::FillMakerList(bool reset) {
  std::lock_guard lock(mutex_);
  if (reset) makers_.items.clear();
  catalogue_.ListMakers(types_.Text(), makers_.items);
  makers_.selected = makers_.items.empty() ? -1 : 0;
  Show(makers_);
}

void ChipSelection::FillModelList(bool reset) {
  std::lock_guard lock(mutex_);
  if (reset) models_.items.clear();
  catalogue_.ListModels(types_.Text(), makers_.Text(), models_.items);
  models_.selected = models_.items.empty() ? -1 : 0;
  Show(models_);
}

void ChipSelection::ApplySelection() {
  std::lock_guard lock(mutex_);
  const std::int32_t record = catalogue_.FindRecord(types_.Text(), makers_.Text(), models_.Text());
  selected_.store(record);
  const ChipRecord* chip = catalogue_.Record(record);
  if (chip == nullptr) {
    // Only an empty or damaged catalogue gets here: no chip, nothing to run.
    chipSize_.store(0);
    capacityText_ = kNoCapacity;
    surface_.SetControlText(ids::kCapacityText, capacityText_);
    qeShown_.store(false);
    surface_.SetControlVisible(ids::kQeCheck, false);
    surface_.SetControlVisible(ids::kQeConfigButton, false);
    if (afterApply_) afterApply_({kNoRecord, 0});
    return;
  }

  if (buildParameters_) buildParameters_(*chip, AdapterFlag());
  const std::uint64_t size = ChipSizeFromCapacity(chip->capacity());
  chipSize_.store(size);
  capacityText_ = tarnwick::CapacityText(chip->capacity(), size);
  surface_.SetControlText(ids::kCapacityText, capacityText_);

  if (auto icon = SocketPictureFor(chip->operationType())) {
    surface_.SetPicture(ids::kSocketPicture, *icon);
  }

  const auto qe = QeMethodFor(chip->type(), chip->maker(), chip->model(), size);
  // Kept while hidden; the quad-enable job checks the controls are shown.
  if (qe) qeMethod_.store(static_cast<std::uint16_t>(((*qe)[0] << 8) | (*qe)[1]));
  qeShown_.store(qe.has_value());
  surface_.SetControlVisible(ids::kQeCheck, qe.has_value());
  surface_.SetControlVisible(ids::kQeConfigButton, qe.has_value());

  if (afterApply_) afterApply_({record, size});
}

bool ChipSelection::SelectRecord(std::int64_t index) {
  std::lock_guard lock(mutex_);
  const ChipRecord* chip = catalogue_.Record(index);
  if (chip == nullptr) return false;
  Select(types_, FindExact(types_, chip->type()));
  FillMakerList(true);
  Select(makers_, FindExact(makers_, chip->maker()));
  FillModelList(true);
  Select(models_, FindExact(models_, chip->model()));
  ApplySelection();
  return true;
}

void ChipSelection::OnTypeChanged(int index) {
  std::lock_guard lock(mutex_);
  Select(types_, index);
  FillMakerList(true);
  FillModelList(true);
  ApplySelection();
}

void ChipSelection::OnMakerChanged(int index) {
  std::lock_guard lock(mutex_);
  Select(makers_, index);
  FillModelList(true);
  ApplySelection();
}

void ChipSelection::OnModelChanged(int index) {
  std::lock_guard lock(mutex_);
  Select(models_, index);
  ApplySelection();
}

QeMethodBytes ChipSelection::QeMethod() const {
  const std::uint16_t v = qeMethod_.load();
  return {static_cast<std::uint8_t>(v >> 8), static_cast<std::uint8_t>(v & 0xFF)};
}

bool ChipSelection::WordOrganised() const {
  const ChipRecord* record = HasRecord() ? catalogue_.Record(SelectedRecord()) : nullptr;
  return record != nullptr && IsWordOrganised(record->capacity());
}

std::string ChipSelection::CapacityText() const {
  std::lock_guard lock(mutex_);
  return capacityText_;
}

void ChipSelection::OnUserChoice(int listId, int index, const std::string& text) {
  std::lock_guard lock(mutex_);
  List* list = listId == ids::kTypeList    ? &types_
               : listId == ids::kMakerList ? &makers_
               : listId == ids::kModelList ? &models_
                                           : nullptr;
  if (list == nullptr) return;
  int chosen = index;
  const bool matches = index >= 0 && index < static_cast<int>(list->items.size()) &&
                       list->items[static_cast<std::size_t>(index)] == text;
  if (!matches && index >= 0) {
    chosen = FindExact(*list, text);
    if (chosen < 0) {
      Show(*list);  // the window showed a list that is gone
      return;
    }
  }
  if (list == &types_) OnTypeChanged(chosen);
  if (list == &makers_) OnMakerChanged(chosen);
  if (list == &models_) OnModelChanged(chosen);
}

std::vector<std::string> ChipSelection::Types() const {
  std::lock_guard lock(mutex_);
  return types_.items;
}
std::vector<std::string> ChipSelection::Makers() const {
  std::lock_guard lock(mutex_);
  return makers_.items;
}
std::vector<std::string> ChipSelection::Models() const {
  std::lock_guard lock(mutex_);
  return models_.items;
}
std::string ChipSelection::TypeText() const {
  std::lock_guard lock(mutex_);
  return types_.Text();
}
std::string ChipSelection::MakerText() const {
  std::lock_guard lock(mutex_);
  return makers_.Text();
}
std::string ChipSelection::ModelText() const {
  std::lock_guard lock(mutex_);
  return models_.Text();
}
int ChipSelection::TypeIndex() const {
  std::lock_guard lock(mutex_);
  return types_.selected;
}
int ChipSelection::MakerIndex() const {
  std::lock_guard lock(mutex_);
  return makers_.selected;
}
int ChipSelection::ModelIndex() const {
  std::lock_guard lock(mutex_);
  return models_.selected;
}

}  // namespace tarnwick
