#include "ui/app/qt_window_surface.h"

#include <QApplication>
#include <QStringList>

#include "resources/ids.h"
#include "ui/app/message_box.h"
#include "ui/app/qt_text.h"

namespace tarnwick {

QtWindowSurface::QtWindowSurface(QObject* context, SurfaceView& view)
    : view_(view), poster_(context) {}

QtWindowSurface::~QtWindowSurface() { Shutdown(); }

void QtWindowSurface::SetStatusLine(const std::string& text, bool error) {
  state_.SetText(ids::kStatusLine, text);
  poster_.Post([this, t = Q(text), error] { view_.ViewStatusLine(t, error); });
}

void QtWindowSurface::Beep() {
  poster_.Post([] { QApplication::beep(); });
}

void QtWindowSurface::WritePaneLine(const std::string& line, bool replaceLast) {
  poster_.Post([this, l = Q(line), replaceLast] { view_.ViewPaneLine(l, replaceLast); });
}

void QtWindowSurface::ClearPane() {
  poster_.Post([this] { view_.ViewClearPane(); });
}

void QtWindowSurface::ShowProgress(bool visible) {
  poster_.Post([this, visible] { view_.ViewProgressVisible(visible); });
}

void QtWindowSurface::SetProgress(int position, const std::string& text) {
  poster_.Post([this, position, t = Q(text)] { view_.ViewProgress(position, t); });
}

void QtWindowSurface::SetCommandEnabled(int id, bool enabled) {
  state_.SetEnabled(id, enabled);
  poster_.Post([this, id, enabled] { view_.ViewCommandEnabled(id, enabled); });
}

bool QtWindowSurface::IsCommandEnabled(int id) { return state_.IsEnabled(id); }

void QtWindowSurface::SetMenuChecked(int id, bool checked) {
  state_.SetMenuChecked(id, checked);
  poster_.Post([this, id, checked] { view_.ViewMenuChecked(id, checked); });
}

bool QtWindowSurface::IsMenuChecked(int id) { return state_.IsMenuChecked(id); }

void QtWindowSurface::SetControlText(int id, const std::string& text) {
  state_.SetText(id, text);
  poster_.Post([this, id, t = Q(text)] { view_.ViewControlText(id, t); });
}

std::string QtWindowSurface::ControlText(int id) { return state_.Text(id); }

void QtWindowSurface::SetControlVisible(int id, bool visible) {
  poster_.Post([this, id, visible] { view_.ViewControlVisible(id, visible); });
}

void QtWindowSurface::SetCheckBox(int id, bool checked) {
  state_.SetCheckBox(id, checked);
  poster_.Post([this, id, checked] { view_.ViewCheckBox(id, checked); });
}

bool QtWindowSurface::IsCheckBoxChecked(int id) { return state_.IsCheckBoxChecked(id); }

void QtWindowSurface::SetListItems(int id, const std::vector<std::string>& items) {
  QStringList list;
  list.reserve(static_cast<qsizetype>(items.size()));
  for (const auto& s : items) list.append(Q(s));
  poster_.Post([this, id, list] { view_.ViewListItems(id, list); });
}

void QtWindowSurface::SetListSelection(int id, int index) {
  poster_.Post([this, id, index] { view_.ViewListSelection(id, index); });
}

void QtWindowSurface::SetPicture(int id, int iconResource) {
  poster_.Post([this, id, iconResource] { view_.ViewPicture(id, iconResource); });
}

void QtWindowSurface::HexViewChanged() {
  poster_.Post([this] { view_.ViewHexChanged(); });
}

BoxAnswer QtWindowSurface::Ask(const std::string& text, const std::string& caption, BoxIcon icon,
                               BoxButtons buttons) {
  // A window that goes away while the worker waits answers with the
  // cancelling button.
  return poster_.Ask([this, t = Q(text), c = Q(caption), icon,
                      buttons] { return view_.ViewAsk(t, c, icon, buttons); },
                     CancellingAnswer(buttons));
}

void QtWindowSurface::PlaySound(const std::string& absolutePath) {
  poster_.Post([this, p = Q(absolutePath)] { view_.ViewPlaySound(p); });
}

void QtWindowSurface::SeedEnabled(int id, bool enabled) { state_.SetEnabled(id, enabled); }

void QtWindowSurface::SeedMenuChecked(int id, bool checked) { state_.SetMenuChecked(id, checked); }

void QtWindowSurface::SeedText(int id, const std::string& text) { state_.SetText(id, text); }

void QtWindowSurface::SeedCheckBox(int id, bool checked) { state_.SetCheckBox(id, checked); }

}  // namespace tarnwick
