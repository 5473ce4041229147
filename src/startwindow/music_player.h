#pragma once
// The start-up music. One player for the whole program, made by the start-up
// window's load step and released by its "Let's Start" button.

#include <QString>
#include <memory>

class QAudioOutput;
class QMediaPlayer;

class MusicPlayer {
 public:
  MusicPlayer();
  ~MusicPlayer();
  MusicPlayer(const MusicPlayer&) = delete;
  MusicPlayer& operator=(const MusicPlayer&) = delete;

  // Prepares the file for playing. A missing file leaves the player silent:
  // nothing later depends on the music.
  void render_file(const QString& path);
  // Plays the file once, in the background.
  void run();
  void stop();

  // The file being played; empty when there is none.
  QString file() const { return file_; }
  bool playing() const;

 private:
  std::unique_ptr<QAudioOutput> output_;
  std::unique_ptr<QMediaPlayer> player_;
  QString file_;
};

extern std::unique_ptr<MusicPlayer> music_player;
