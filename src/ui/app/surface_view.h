// What the window offers its surface: the widget side of every WindowSurface
// call. Called on the GUI thread only.
#pragma once

#include <QString>
#include <QStringList>

#include "core/app/window_surface.h"

namespace tarnwick {

class SurfaceView {
 public:
  virtual ~SurfaceView() = default;

  virtual void ViewStatusLine(const QString& text, bool error) = 0;
  virtual void ViewPaneLine(const QString& line, bool replaceLast) = 0;
  virtual void ViewClearPane() = 0;
  virtual void ViewProgressVisible(bool visible) = 0;
  virtual void ViewProgress(int position, const QString& text) = 0;
  virtual void ViewCommandEnabled(int id, bool enabled) = 0;
  virtual void ViewMenuChecked(int id, bool checked) = 0;
  virtual void ViewControlText(int id, const QString& text) = 0;
  virtual void ViewControlVisible(int id, bool visible) = 0;
  virtual void ViewCheckBox(int id, bool checked) = 0;
  virtual void ViewListItems(int id, const QStringList& items) = 0;
  virtual void ViewListSelection(int id, int index) = 0;
  virtual void ViewPicture(int id, int iconResource) = 0;
  virtual void ViewHexChanged() = 0;
  virtual void ViewPlaySound(const QString& absolutePath) = 0;
  virtual BoxAnswer ViewAsk(const QString& text, const QString& caption, BoxIcon icon,
                            BoxButtons buttons) = 0;
};

}  // namespace tarnwick
