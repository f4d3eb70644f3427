// A static text that looks and behaves like a web link: blue until opened,
// purple once visited, red while the mouse is over it; underlined always,
// never, or only while hovered; the hand cursor and the url as tool-tip. A
// click opens the url (the desktop's opener, else the registered browser)
// and a failure is told in a box.
#pragma once

#include <QColor>
#include <QFont>
#include <QLabel>
#include <QTimer>

namespace tarnwick {

class HyperLink : public QLabel {
  Q_OBJECT

 public:
  enum Underline : int { kHoverOnly = -1, kNever = 0, kAlways = 1 };
  static constexpr int kHoverTimerMs = 100;

  explicit HyperLink(QWidget* parent = nullptr);

  // Takes over the label's text: an empty url becomes the text, an empty
  // text shows the url. Call once the text is set (the builder's caption).
  void Attach();

  void SetURL(const QString& url);
  QString url() const { return url_; }
  void SetUnderline(int mode);
  int underline() const { return underlineMode_; }
  void SetVisited(bool visited);
  bool visited() const { return visited_; }
  void SetAutoSize(bool on) { autoSize_ = on; }
  bool mouseOver() const { return mouseOver_; }
  // The colour the text is drawn in now.
  QColor TextColour() const;
  bool Underlined() const { return font().underline(); }

  // Opens `target` (http, https or mailto); a result above 32 means it was
  // opened.
  static int GotoURL(const QString& target);

  static const QColor kLinkColour;
  static const QColor kVisitedColour;
  static const QColor kHoverColour;

 signals:
  // A click ended with `result` (opened above 32).
  void clicked(int result);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  void Hover();
  void HoverTick();
  void EndHover();
  void FitToText();
  void ApplyFont();

  QString url_;
  QFont normalFont_;
  QFont underlineFont_;
  bool mouseOver_ = false;
  bool visited_ = false;
  int underlineMode_ = kHoverOnly;
  bool autoSize_ = true;
  bool attached_ = false;
  QTimer hoverTimer_;
};

}  // namespace tarnwick
