#pragma once
// The zone picker: a small window, always on top, listing the world's zones.
// "Paste" puts the current row's short name into the main window's zone label,
// "Done" hides the window with its rows, "Save Results" writes the list to
// "zone_results.txt". The window exists once; it is made and loaded on first
// use and again after it was closed, never after a "Done".

#include <QPointer>
#include <QString>
#include <QWidget>

class IGrid;
class QLabel;
class QPushButton;

class Zone_Search : public QWidget {
  Q_OBJECT

 public:
  // The picker, made and loaded (Form_Load) when it is not loaded yet;
  // "Paste" writes into `zonename`.
  static Zone_Search& load(QLabel& zonename, QWidget* parent = nullptr);
  // The loaded picker, or nullptr.
  static Zone_Search* loaded();

  // The query of the load step.
  static QString zone_query();
  // The file "Save Results" writes, in the current folder.
  static QString results_file();

  // The load step: columns, then every zone. A failed query is reported and
  // leaves the grid as far as it got.
  void Form_Load();
  void paste_Click();
  void done_Click();
  // Writes every row to results_file(); nothing when the grid is empty.
  void save_data_Click();

  IGrid* zonegrid = nullptr;
  QPushButton* save_data = nullptr;
  QPushButton* paste = nullptr;
  QPushButton* done = nullptr;

 protected:
  // Form_Unload: the window goes with its rows; the next load starts over.
  void closeEvent(QCloseEvent* event) override;

 private:
  Zone_Search(QLabel& zonename, QWidget* parent);

  QPointer<QLabel> zonename_;
};
