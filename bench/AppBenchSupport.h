#pragma once
// What the window benchmarks share: an event loop run until a condition
// holds, an empty home folder, the sample-data server they download from,
// and a window started up to its painted workspace.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <QApplication>
#include <QEventLoop>
#include <QRect>
#include <QTimer>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "DataServer.h"
#include "SampleData.h"
#include "ServerStore.h"
#include "app/MainForm.h"
#include "data/LocalQuorvaneDB.h"
#include "platform/DateTime.h"
#include "platform/qt/OffscreenScreens.h"

namespace appbench {

// Runs the event loop until done() holds (checked after every event batch).
inline void RunUntil(const std::function<bool()>& done) {
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (done()) loop.quit();
  });
  poll.start(1);
  if (!done()) loop.exec();
}

// folder/home as QUORVANE_HOME, its two files holding their tables and no rows.
inline void EmptyHome(const std::filesystem::path& folder) {
  std::filesystem::remove_all(folder / "home");
  ::setenv("QUORVANE_HOME", (folder / "home").c_str(), 1);
  TLocalQuorvaneDB db;
  for (const std::int32_t kind : {kMarketDataDatabase, kSettingsDatabase}) {
    db.DatabaseKind = kind;
    db.Connect();
    kind == kMarketDataDatabase ? db.CreateMarketDataTables() : db.CreateUserSettingsTables();
    db.Disconnect();
  }
}

// The sample set of 12 March 2026 in folder/server.sqlite, served on a free
// port of 127.0.0.1 that QUORVANE_SERVER_HOST names.
class TSampleServer {
 public:
  explicit TSampleServer(const std::filesystem::path& folder) : Store_((folder / "server.sqlite").string()) {
    qvserver::TSampleDataOptions options;
    options.Today = platform::EncodeDate(2026, 3, 12);
    qvserver::WriteSampleData(Store_, options);
    qvserver::TDataServerOptions serverOptions;
    serverOptions.LogRequests = false;
    Server_ = std::make_unique<qvserver::DataServer>(Store_, serverOptions);
  }
  bool Start(std::string& error) {
    if (!Server_->Start("127.0.0.1", 0, error)) return false;
    ::setenv("QUORVANE_SERVER_HOST", ("127.0.0.1:" + std::to_string(Server_->Port())).c_str(), 1);
    return true;
  }

 private:
  qvserver::TServerStore Store_;
  std::unique_ptr<qvserver::DataServer> Server_;
};

// The offscreen platform with one 1920 x 1080 screen (the window's reference
// size, where it opens at 1920 x 1080) unless QT_QPA_PLATFORM names another
// platform; the screen file is written into folder.
inline void UseReferenceScreen(const std::filesystem::path& folder) {
  platform::UseOffscreenScreens({QRect(0, 0, 1920, 1080)}, (folder / "screens.json").string());
}

// The start of a window benchmark program: the offscreen platform unless
// QT_QPA_PLATFORM names one, the application, the benchmark options, an
// emptied folder and the sample server in it (Started false on a failure).
// The folder is removed at the end.
class TBenchProgram {
 public:
  TBenchProgram(int& argc, char** argv, std::filesystem::path folder) : Folder(std::move(folder)) {
    std::filesystem::remove_all(Folder);
    std::filesystem::create_directories(Folder);
    UseReferenceScreen(Folder);
    Application = std::make_unique<QApplication>(argc, argv);
    Server = std::make_unique<TSampleServer>(Folder);
    Started = Server->Start(Error);
    benchmark::Initialize(&argc, argv);
  }
  ~TBenchProgram() {
    Server.reset();
    std::filesystem::remove_all(Folder);
  }
  std::filesystem::path Folder;
  std::unique_ptr<QApplication> Application;
  std::unique_ptr<TSampleServer> Server;
  std::string Error;
  bool Started = false;
};

// A shown window whose first tick has run: it starts the update process
// (startOnFirstTick) or only creates the client and the database.
inline std::unique_ptr<app::TMainForm> NewWindow(int pauseMs, bool startOnFirstTick) {
  auto form = std::make_unique<app::TMainForm>();
  form->SetStepPause(pauseMs);
  form->StartOnFirstTick = startOnFirstTick;
  form->show();
  form->OnFormTimer(&form->MainTimer);
  return form;
}

// A full download into an empty file under folder, then a new window
// started on it up to the painted workspace; null after printing why it
// failed under the program's name.
inline std::unique_ptr<app::TMainForm> WindowOnWorkspace(const std::filesystem::path& folder, const char* program) {
  EmptyHome(folder);
  {
    auto form = NewWindow(0, false);
    bool ended = false;
    QObject::connect(form.get(), &app::TMainForm::StepHandled, [&](int kind) { ended = ended || kind == 4; });
    form->StartStep(4);
    RunUntil([&] { return ended; });
    RunUntil([&] { return !form->StepRunning(); });
  }
  auto form = NewWindow(0, true);
  RunUntil([&] { return (form->View.WorkspaceShown && !form->StepRunning()) || !form->LastErrorText.empty(); });
  if (!form->View.WorkspaceShown) {
    std::fprintf(stderr, "%s: %s\n", program,
                 form->LastErrorText.empty() ? "the workspace did not show" : form->LastErrorText.c_str());
    return nullptr;
  }
  form->repaint();
  return form;
}

}  // namespace appbench
