// The chip selection of the main window: the type, maker and model lists
// (1014-1016), the selected record, its chip size and capacity text, the
// socket picture and the QE controls. Every change goes through
// ApplySelection, which hands the record to the parameter builder (the device
// layer fills the command frame from it).
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "core/app/window_surface.h"
#include "core/catalogue/catalogue.h"
#include "core/catalogue/selection_rules.h"

namespace tarnwick {

// What the rest of the window needs after a selection was applied.
struct AppliedSelection {
  std::int32_t record = kNoRecord;  // kNoRecord: disable the chip operations
  std::uint64_t chipSize = 0;
};

class ChipSelection {
 public:
  using AfterApply = std::function<void(const AppliedSelection&)>;
  using ParameterBuilder = std::function<void(const ChipRecord& record, bool adapterFlag)>;

  // `catalogue` is owned by the caller and outlives this object.
  ChipSelection(const Catalogue& catalogue, WindowSurface& surface);

  // Called with every record the selection applies, before the after-apply
  // hook: the command frame's parameters follow the chosen chip.
  void SetParameterBuilder(ParameterBuilder builder) { buildParameters_ = std::move(builder); }

  // Start-up: fill the three lists, build record 0's parameters, apply.
  void Initialise();

  void FillTypeList();
  void FillMakerList(bool reset);
  void FillModelList(bool reset);
  void ApplySelection();
  // Selects a record in all three lists and applies it (detection's path).
  // False, with nothing changed, for an index outside the catalogue.
  bool SelectRecord(std::int64_t index);

  // The user picked entry `index` showing `text` in list `listId`. The
  // window may still show a list the worker has just refilled: the entry is
  // found by its text then, and a text the list no longer holds changes
  // nothing (the list is shown again).
  void OnUserChoice(int listId, int index, const std::string& text);

  // Entry `index` (-1: none) of a list is chosen.
  void OnTypeChanged(int index);
  void OnMakerChanged(int index);
  void OnModelChanged(int index);

  // Called after every ApplySelection: the file image updates its rows and
  // the chip checksum, the window enables or disables the chip operations.
  void SetAfterApply(AfterApply hook) { afterApply_ = std::move(hook); }
  // Byte 2 bit 7 of every parameter build; set by the adapter query.
  void SetAdapterFlag(bool fitted) { adapter_.store(fitted); }
  bool AdapterFlag() const { return adapter_.load(); }

  std::int32_t SelectedRecord() const { return selected_.load(); }
  bool HasRecord() const { return SelectedRecord() != kNoRecord; }
  std::uint64_t ChipSize() const { return chipSize_.load(); }
  QeMethodBytes QeMethod() const;
  bool QeControlsShown() const { return qeShown_.load(); }
  std::string CapacityText() const;
  // The selected chip counts its addresses in 16-bit words.
  bool WordOrganised() const;

  // The lists as the window shows them.
  std::vector<std::string> Types() const;
  std::vector<std::string> Makers() const;
  std::vector<std::string> Models() const;
  // The selected entries' texts ("" when a list has no selection).
  std::string TypeText() const;
  std::string MakerText() const;
  std::string ModelText() const;
  int TypeIndex() const;
  int MakerIndex() const;
  int ModelIndex() const;

 private:
  struct List {
    int id;
    std::vector<std::string> items;
    int selected = -1;
    std::string Text() const;
  };

  void Show(List& list);
  void Select(List& list, int index);
  // The list's own search: exact text, case ignored; -1 when absent.
  static int FindExact(const List& list, const std::string& text);

  // The worker (detection) and the window (the lists) both change the
  // selection: every member below is read and written under this lock. It
  // is recursive because the apply hooks read the selection back.
  mutable std::recursive_mutex mutex_;
  const Catalogue& catalogue_;
  WindowSurface& surface_;
  ParameterBuilder buildParameters_;
  AfterApply afterApply_;
  List types_;
  List makers_;
  List models_;
  // Read by the worker while the window thread may apply a new selection.
  std::atomic<std::int32_t> selected_{0};
  std::atomic<std::uint64_t> chipSize_{0};
  std::atomic<bool> adapter_{false};
  std::atomic<bool> qeShown_{false};
  std::atomic<std::uint16_t> qeMethod_{0};
  std::string capacityText_;
};

}  // namespace tarnwick
