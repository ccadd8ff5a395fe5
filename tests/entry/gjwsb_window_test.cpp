// The list of unreported national projects: generated from the projects
// never entered, reasons keyed into the grid, asked before they are dropped.
#include "entry/gjwsb.h"
#include "tests/entry/installed_window_fixture.h"
#include "platform/formats/table_file.h"
#include "tests/support/file_io_probe.h"
#include "tests/support/render_path.h"

namespace veltra::entry {
namespace {

using ui::MessageKind;

class GjwsbWindowTest : public testing::InstalledWindowTest {};

TEST_F(GjwsbWindowTest, GeneratesTheNeverEnteredProjectsAndAsksBeforeDroppingReasons) {
  std::string long_name = "A";
  for (int i = 0; i < 29; ++i) long_name += "项";  // 59 bytes, for a field of 46
  AddRowsTo("gjxm.db", {{{"Id", "1"}, {"JB00", "1"}, {"JB01", long_name}, {"JB02", "P1"}},
                        {{"Id", "2"}, {"JB00", "2"}, {"JB01", "已录入"}, {"IS_CHGE", "1"}},
                        {{"Id", "3"}, {"JB00", "3"}, {"JB01", "新增加"}, {"IS_CHGE", "2"}},
                        {{"Id", "4"}, {"JB00", "4"}, {"JB01", "未录入"}}});
  TF_gjwsb& form = Open<TF_gjwsb>();
  EXPECT_TRUE(form.DBGrid1->Column(0).ReadOnly());
  EXPECT_FALSE(form.DBGrid1->Column(3).ReadOnly());
  EXPECT_EQ(form.DBGrid1->Column(3).Title(), "原因");

  Press("ToolButton1");  // nothing keyed in yet: no question
  EXPECT_EQ(Values("gj_wsb.db", "JB00"), (std::vector<std::string>{"1", "4"}));
  std::string cut = "A";
  for (int i = 0; i < 22; ++i) cut += "项";  // whole characters only
  EXPECT_EQ(Values("gj_wsb.db", "JB01")[0], cut);
  ASSERT_TRUE(form.grab().save(veltra::testing::RenderPath("gjwsb_cover.png")));

  ui::testing::TypeIntoCell(*form.DBGrid1, 1, 3, "2");
  Press("ToolButton7");
  EXPECT_EQ(Values("gj_wsb.db", "YY"), (std::vector<std::string>{"", "2"}));

  ui_.ExpectMessage(MessageKind::Question, "", "是否清空未上报项目清单中已填的原因", ui::Answer::No);
  Press("ToolButton1");
  EXPECT_EQ(Values("gj_wsb.db", "YY"), (std::vector<std::string>{"", "2"}));
  ui_.ExpectMessage(MessageKind::Question, "", "是否清空未上报项目清单中已填的原因", ui::Answer::Yes);
  Press("ToolButton1");
  EXPECT_EQ(Values("gj_wsb.db", "YY"), (std::vector<std::string>{"", ""}));

  // Without gjxm.db the generation fails before the list is touched.
  ui::testing::TypeIntoCell(*form.DBGrid1, 0, 3, "4");
  Press("ToolButton7");
  std::filesystem::remove(work / "gjxm.db");
  ui_.ExpectMessage(MessageKind::Question, "", "是否清空未上报项目清单中已填的原因", ui::Answer::Yes);
  EXPECT_THROW(form.ToolButton1Click(), EngineError);
  EXPECT_EQ(Values("gj_wsb.db", "YY"), (std::vector<std::string>{"4", ""}));

  ui::testing::Focus(*form.DBGrid1);
  form.DBGrid1->SetSelectedColumn(2);
  ui::testing::PressEnter();
  EXPECT_EQ(form.DBGrid1->SelectedColumn(), 3);
}

// A generation stopped anywhere by a kill or a power cut, with or without
// the writes since the last sync on the disk, leaves the old list or the
// whole new one, never an empty list.
TEST_F(GjwsbWindowTest, AGenerationCutAnywhereLeavesTheOldListOrTheNew) {
  using veltra::testing::CrashSimulator;
  AddRowsTo("gjxm.db", {{{"Id", "1"}, {"JB00", "1"}}, {{"Id", "2"}, {"JB00", "2"}}});
  Open<TF_gjwsb>();
  Press("ToolButton1");
  AddRowsTo("gjxm.db", {{{"Id", "3"}, {"JB00", "3"}}});
  const auto list = [&] {
    std::vector<std::string> numbers;
    for (const auto& record : formats::OpenTableFile(work / "gj_wsb.db")->ReadAll()) numbers.push_back(record[0].ToDisplayText());
    return numbers;
  };
  const std::vector<std::string> before = list(), after = {"1", "2", "3"};
  ASSERT_EQ(before, (std::vector<std::string>{"1", "2"}));
  const veltra::testing::FolderImage base = veltra::testing::ImageOf({work});
  for (const auto crash : {CrashSimulator::Crash::Kill, CrashSimulator::Crash::PowerCut, CrashSimulator::Crash::PowerCutAnyWrites}) {
    for (int stop_at = 1;; ++stop_at) {
      veltra::testing::RestoreImage({work}, base);
      Restart();
      TF_gjwsb& form = Open<TF_gjwsb>();
      std::vector<veltra::testing::FolderImage> images;
      {
        CrashSimulator stop({work}, crash, stop_at);
        try {
          form.ToolButton1Click();
        } catch (const EngineError&) {
        }
        images = stop.Images();
        if (!stop.stopped()) break;
      }
      for (const auto& image : images) {
        veltra::testing::RestoreImage({work}, image);
        const auto seen = list();
        EXPECT_TRUE(seen == before || seen == after) << "crash " << static_cast<int>(crash) << " at " << stop_at << ": " << seen.size();
      }
    }
  }
  veltra::testing::RestoreImage({work}, base);
  Restart();
  Open<TF_gjwsb>();
  Press("ToolButton1");
  EXPECT_EQ(list(), after);
}

}  // namespace
}  // namespace veltra::entry
