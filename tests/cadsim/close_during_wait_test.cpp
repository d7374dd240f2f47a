// The client lets go of its PwAcad while a call on it waits: Plendra's
// Form_Unload, run by the message pump inside an export's wait, releases
// Acad_Obj when the user closes the window. The call must not touch the freed
// object (the sanitizer build catches it if it does): a PwAcad the client
// shares ownership of is kept for the call, which finishes its work; one
// the client owned alone is gone, and the call fails with LinkFailed at its
// next step.
#include <gtest/gtest.h>

#include <memory>

#include "cadsim_fixture.h"

namespace cadsim_test {
namespace {

enum class Call { kExportAll, kExportPick, kLaunch, kLaunchNoPrompt };
enum class Owner { kShared, kSole };

struct Case {
  const char* name;
  Call call;
  Owner owner;
  std::int32_t result;
  std::u16string_view source;  // of the record after the call
};

constexpr std::u16string_view kLaunchPath = u"C:\\Program Files\\AutoCAD 2006\\acad.exe";

class CloseDuringWait : public CadsimTest, public ::testing::WithParamInterface<Case> {
 protected:
  void MakeClient(Owner owner) {
    if (owner == Owner::kShared) {
      shared = korvel::PwAcad::Create();
      client = shared.get();
      watch = shared;
    } else {
      sole = std::make_unique<korvel::PwAcad>();
      client = sole.get();
    }
  }

  // The client's last reference goes, at the first pump pass after delay_ms.
  void ReleaseAfter(std::uint64_t delay_ms) {
    desktop.UserEvent(delay_ms, [this] {
      shared.reset();
      sole.reset();
      ++releases;
    });
  }

  // cadsim with the sample drawing, found through the client as start-up finds it.
  void StartAndConnect(int release) {
    cadsim::SimCadOptions options;
    options.release = release;
    options.block_folders = {DataDir().u16string()};
    acad = std::make_unique<cadsim::SimCad>(desktop, Sample(), options);
    plendra::ApplyRelease(*client, static_cast<std::size_t>(release));
    ASSERT_EQ(client->Search(), -1);
    control = client->Control();
  }

  std::int32_t Run(Call call) {
    switch (call) {
      case Call::kExportAll:
        StartAndConnect(1);
        // SAVEAS takes three seconds, so the export's waits pump meanwhile.
        Cad().TheFaults().finish_after_ms = 3000;
        Cad().TheFaults().only_command = u"SAVEAS";
        ReleaseAfter(1000);
        return control->DxfOut(u"all", u"2000", client);
      case Call::kExportPick:
        StartAndConnect(8);
        Cad().Script(cadsim::UserAction::Pick(DimensionMeasuring(3000), 2000));
        ReleaseAfter(1000);  // during the pick
        return control->DxfOut(u"sgl", u"2000", client);
      case Call::kLaunch:
      case Call::kLaunchNoPrompt: {
        cadsim::SimCadOptions options;
        options.release = 8;
        auto running = std::make_shared<std::unique_ptr<cadsim::SimCad>>();
        desktop.AddProgram(std::u16string(kLaunchPath),
                           cadsim::Launchable(desktop, Sample(), options, 800, 2000, running));
        // Someone types UCS as soon as the windows are there; it runs for four
        // seconds (or never ends), so the wait for the command prompt after
        // the search pumps.
        const bool never = call == Call::kLaunchNoPrompt;
        desktop.After(900, [running, never] {
          (*running)->Cad().TheFaults().finish_after_ms = 4000;
          (*running)->Cad().TheFaults().prompt_never_returns = never;
          (*running)->Cad().Type(u"ucs\rw\r");
        });
        plendra::ApplyRelease(*client, 8);
        ReleaseAfter(2500);
        return client->Execute(kLaunchPath, u"", 0, korvel::WaitPrompt);
      }
    }
    return 0;
  }

  std::shared_ptr<korvel::PwAcad> shared;
  std::unique_ptr<korvel::PwAcad> sole;
  korvel::PwAcad* client = nullptr;
  std::weak_ptr<korvel::PwAcad> watch;
  int releases = 0;
};

const Case kCases[] = {
    {"WholeDrawingShared", Call::kExportAll, Owner::kShared, -1, u""},
    {"PickedObjectShared", Call::kExportPick, Owner::kShared, -1, u""},
    {"LaunchShared", Call::kLaunch, Owner::kShared, -1, u""},
    {"LaunchTimedOutShared", Call::kLaunchNoPrompt, Owner::kShared, korvel::CommandFailed,
     u"PwAcadCtrl.PwControl.WaitPrompt"},
    {"WholeDrawingSoleOwner", Call::kExportAll, Owner::kSole, korvel::LinkFailed,
     u"PwAcadCtrl.PwControl.DxfOut"},
    {"PickedObjectSoleOwner", Call::kExportPick, Owner::kSole, korvel::LinkFailed,
     u"PwAcadCtrl.PwControl.DxfOut"},
    {"LaunchSoleOwner", Call::kLaunch, Owner::kSole, korvel::LinkFailed, u"PwAcadCtrl.Acad.Execute"},
    {"LaunchTimedOutSoleOwner", Call::kLaunchNoPrompt, Owner::kSole, korvel::LinkFailed,
     u"PwAcadCtrl.Acad.Execute"},
};

TEST_P(CloseDuringWait, TheCallNeverTouchesTheReleasedObject) {
  const Case& c = GetParam();
  MakeClient(c.owner);
  const std::int32_t result = Run(c.call);
  ASSERT_EQ(releases, 1) << "the release must happen inside the wait";
  EXPECT_EQ(result, c.result);
  EXPECT_EQ(korvel::Shared().ErrorInfo.Source, c.source);
  EXPECT_TRUE(desktop.ShownBoxes().empty());
  // Kept for the call only: the object goes when the call returns.
  EXPECT_TRUE(watch.expired());
  if (c.owner == Owner::kShared && (c.call == Call::kExportAll || c.call == Call::kExportPick)) {
    // The export ran to its end: the file is there and FILEDIA is back.
    EXPECT_TRUE(std::filesystem::exists(Scratch()));
    EXPECT_EQ(Cad().Settings()[u"FILEDIA"], u"1");
  }
  if (c.owner == Owner::kShared && c.call == Call::kExportPick) {
    EXPECT_EQ(All<cadsim::Dimension>(ReadScratch()).size(), 1u);
  }
}

INSTANTIATE_TEST_SUITE_P(Calls, CloseDuringWait, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           return std::string(info.param.name);
                         });

}  // namespace
}  // namespace cadsim_test
