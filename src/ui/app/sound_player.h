// Plays wave files without waiting for them; each sound cleans up after
// itself when it ends.
#pragma once

#include <QObject>
#include <QString>

namespace tarnwick {

class SoundPlayer : public QObject {
  Q_OBJECT

 public:
  explicit SoundPlayer(QObject* parent = nullptr) : QObject(parent) {}
  // A missing or unreadable file plays nothing and says nothing.
  void Play(const QString& absolutePath);
};

}  // namespace tarnwick
