#include "ui/app/sound_player.h"

#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace tarnwick {

void SoundPlayer::Play(const QString& absolutePath) {
  if (!QFileInfo::exists(absolutePath)) return;
  auto* effect = new QSoundEffect(this);  // owned by the player until it ends
  effect->setSource(QUrl::fromLocalFile(absolutePath));
  connect(effect, &QSoundEffect::playingChanged, effect, [effect] {
    if (!effect->isPlaying() && effect->status() != QSoundEffect::Loading) effect->deleteLater();
  });
  connect(effect, &QSoundEffect::statusChanged, effect, [effect] {
    if (effect->status() == QSoundEffect::Ready) effect->play();
    if (effect->status() == QSoundEffect::Error) effect->deleteLater();
  });
  if (effect->status() == QSoundEffect::Ready) effect->play();
}

}  // namespace tarnwick
