#include "startwindow/music_player.h"

#include <QAudioOutput>
#include <QFileInfo>
#include <QMediaPlayer>
#include <QUrl>

std::unique_ptr<MusicPlayer> music_player;

MusicPlayer::MusicPlayer() : output_(std::make_unique<QAudioOutput>()), player_(std::make_unique<QMediaPlayer>()) {
  player_->setAudioOutput(output_.get());
  player_->setLoops(1);
}

MusicPlayer::~MusicPlayer() {
  // The player still refers to the output; let go of it first.
  player_->stop();
  player_.reset();
}

void MusicPlayer::render_file(const QString& path) {
  // Errors of an unplayable file come back from the player later and are
  // left unanswered; a missing file is not even handed to it.
  if (!QFileInfo(path).isFile()) return;
  file_ = path;
  player_->setSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

void MusicPlayer::run() {
  if (!file_.isEmpty()) player_->play();
}

void MusicPlayer::stop() { player_->stop(); }

bool MusicPlayer::playing() const { return player_->playbackState() == QMediaPlayer::PlayingState; }
