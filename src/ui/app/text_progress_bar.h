// A progress bar painted by the program that carries a line of text over the
// bar (main window control 1031, the firmware-upgrade dialog's 1069).
#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QWidget>

namespace tarnwick {

class TextProgressBar : public QWidget {
  Q_OBJECT

 public:
  enum Alignment { kLeft = 0, kCentre = 1, kRight = 2 };

  explicit TextProgressBar(QWidget* parent = nullptr);

  void SetRange(int lower, int upper);
  void SetStep(int step) { step_ = step; }
  void SetPos(int pos);
  // Store the text and its alignment, then move the bar (one repaint).
  void SetPosText(int pos, const QString& text, int alignment = kCentre);
  void SetBarColour(QColor rgb);
  // Weight 1000 when bold (the heaviest Qt offers), else 300.
  void SetTextFont(const QString& face, int height, QColor colour, bool bold, bool italic,
                   bool underline, bool strikeout);

  int pos() const { return pos_; }
  int lower() const { return lower_; }
  int upper() const { return upper_; }
  const QString& text() const { return text_; }
  int alignment() const { return alignment_; }
  QColor barColour() const { return bar_; }
  QColor textColour() const { return textColour_; }
  // Pixels of the client width drawn in the bar colour.
  int FilledWidth() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int lower_ = 0;
  int upper_ = 100;
  int pos_ = 0;
  int step_ = 10;
  QString text_;
  int alignment_ = kCentre;
  QColor bar_{0, 204, 0};
  QColor textColour_{0, 0, 0};
};

}  // namespace tarnwick
