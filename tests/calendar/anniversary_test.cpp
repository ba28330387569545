#include <QComboBox>
#include <QDateEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTableWidget>
#include <filesystem>

#include "app/recording_prompts.h"
#include "calendar/datehint.h"
#include "calendar/widgets/ufrm_datehint.h"
#include "store/store_fixture.h"
#include "sys/clock.h"
#include "sys/small_disk.h"
#include "sys/textcodec.h"
#include "ui/date_field.h"

namespace velmora::calendar {
namespace {

using text::to_gb18030;

TEST(AnniversaryLine, FixedWidthsCountGb18030Bytes) {
    const Anniversary birthday{"2025-02-10", 3, state_on, "生日"};
    EXPECT_EQ(format_line(birthday), to_gb18030("02025-02-1003开启生日"));
    EXPECT_EQ(parse_line(to_gb18030("02025-02-1003开启生日")), birthday);

    const Anniversary week{"2025-12-01", 7, state_off, "  一 周\r\n年\n纪念 "};
    EXPECT_EQ(format_line(week), to_gb18030("02025-12-0107关闭一 周 年 纪念"));
    EXPECT_EQ(parse_line(format_line(week))->days_ahead, 7);

    for (const char* bad : {"02025-02-3003开启生日", "02025-02-107x开启生日", "02025-02-1003开",
                            "02025/02/1003开启生日", "02025-02-1003打开生日", ""}) {
        EXPECT_FALSE(parse_line(to_gb18030(bad))) << bad;
    }
}

TEST(AnniversaryDue, OnlyOnTheNoticeDayOfThatYear) {
    const std::string record = to_gb18030(
        "02025-02-1003开启生日\r\n"
        "02025-02-07xx开启坏行\r\n"
        "02025-02-0700开启当天\r\n"
        "02025-02-0700关闭关掉\r\n"
        "02025-01-0206开启跨年\r\n");
    EXPECT_EQ(due_messages(record, {2025, 2, 7}),
              (std::vector<std::string>{"今天距离【生日】还有3天！", "今天距离【当天】还有0天！"}));
    EXPECT_EQ(due_messages(record, {2024, 12, 27}),
              std::vector<std::string>{"今天距离【跨年】还有6天！"});
    for (Date other : {Date{2025, 2, 6}, Date{2025, 2, 8}, Date{2025, 2, 10}, Date{2026, 2, 7},
                       Date{2024, 2, 7}}) {
        EXPECT_TRUE(due_messages(record, other).empty()) << day_key(other);
    }
}

class FixedClock : public sys::Clock {
public:
    sys::LocalTime now() const override { return {2025, 2, 7, 9, 0, 0}; }
};

class AnniversaryStore : public testing::StoreTest {
protected:
    void SetUp() override {
        StoreTest::SetUp();
        std::filesystem::create_directories(temp_work_);
    }
    std::string stored() {
        const int item = index(datehint_record);
        return item > 0 ? get(item) : std::string("(absent)");
    }
    void add(Tfrm_datehint& dialog, const QDate& date, int days, const QString& text) {
        dialog.RzDateTimePicker1->setDate(date);
        dialog.RzSpinEdit1->setValue(days);
        dialog.RzMemo1->setPlainText(text);
        dialog.btn_add->click();
    }

    std::string temp_work_ = folder_.file("zenqplumora");
    testing::RecordingPrompts prompts_;
    FixedClock clock_;
};

TEST_F(AnniversaryStore, StartupCheckSkipsBadLinesAndAddsTheUpdateLine) {
    put("plumora_files", "datehint.txt", to_gb18030("0garbage\r\n02025-02-1003开启生日\r\n"));
    const StartupAnnouncements quiet = startup_check(temp_work_, {2025, 2, 7}, false, "");
    EXPECT_EQ(quiet.popups, std::vector<std::string>{"今天距离【生日】还有3天！"});
    EXPECT_FALSE(quiet.ad_line);
    EXPECT_EQ(startup_check(temp_work_, {2025, 2, 7}, true, "http://x/d").ad_line,
              "<>软件已有新版本，点击下载...|http://x/d");
    EXPECT_TRUE(std::filesystem::is_empty(temp_work_));
}

TEST_F(AnniversaryStore, DialogAddsConfirmsAndShowsDaysAgain) {
    {
        Tfrm_datehint dialog(prompts_, temp_work_, clock_);
        EXPECT_FALSE(dialog.btn_edit->isEnabled());
        dialog.RzMemo1->setPlainText("  \n ");
        dialog.btn_add->click();
        EXPECT_EQ(prompts_.shown, std::vector<std::string>{"纪念日说明不能为空！"});
        EXPECT_TRUE(dialog.list_empty());
        add(dialog, QDate(2025, 2, 10), 3, "生日");
        add(dialog, QDate(2025, 3, 1), 7, "结婚\n纪念");
        EXPECT_TRUE(dialog.btn_delete->isEnabled());
        dialog.btn_ok->click();
    }
    EXPECT_EQ(stored(), to_gb18030("02025-02-1003开启生日\r\n02025-03-0107开启结婚 纪念\r\n"));
    Tfrm_datehint again(prompts_, temp_work_, clock_);
    EXPECT_EQ(again.RzStringGrid1->item(1, 2)->text(), "7");
    again.RzStringGrid1->selectRow(1);
    again.RzMemo1->setPlainText("结婚");
    again.btn_edit->click();
    EXPECT_EQ(again.entries().at(1), (Anniversary{"2025-03-01", 7, state_on, "结婚"}));
}

TEST_F(AnniversaryStore, CancelKeepsTheStoreAndDeletingAllRemovesTheRecord) {
    const std::string before = to_gb18030("02025-02-1003开启生日\r\n");
    put("plumora_files", "datehint.txt", before);
    {
        Tfrm_datehint dialog(prompts_, temp_work_, clock_);
        add(dialog, QDate(2025, 5, 1), 1, "劳动");
        dialog.btn_cancel->click();
    }
    EXPECT_EQ(stored(), before);
    {
        Tfrm_datehint dialog(prompts_, temp_work_, clock_);
        dialog.btn_delete->click();
        EXPECT_FALSE(dialog.btn_edit->isEnabled());
        dialog.btn_ok->click();
    }
    EXPECT_EQ(stored(), "(absent)");
    Tfrm_datehint empty(prompts_, temp_work_, clock_);
    EXPECT_EQ(empty.RzStringGrid1->rowCount(), 1);
    EXPECT_TRUE(empty.list_empty());
    EXPECT_FALSE(empty.btn_delete->isEnabled());
}

TEST_F(AnniversaryStore, BadLinesSurviveTheDialog) {
    put("plumora_files", "datehint.txt",
        to_gb18030("02025-13-4003开启坏日期\r\n02025-02-1003开启生日\r\n") + "0\xff\xfe\r\n");
    {
        Tfrm_datehint dialog(prompts_, temp_work_, clock_);
        const Anniversary birthday{"2025-02-10", 3, state_on, "生日"};
        EXPECT_EQ(dialog.entries(), std::vector<Anniversary>{birthday});
        dialog.btn_ok->click();
    }
    EXPECT_EQ(stored(),
              to_gb18030("02025-02-1003开启生日\r\n02025-13-4003开启坏日期\r\n") + "0\xff\xfe\r\n");
}

// A list that cannot be read is not shown as an empty one that a confirm
// would then store; a list that cannot be saved keeps the dialog open.
TEST_F(AnniversaryStore, AFullDiskNeitherHidesNorLosesTheList) {
    const std::string before = to_gb18030("02025-02-1003开启生日\r\n");
    put("plumora_files", "datehint.txt", before);
    testing::SmallDisk disk(temp_work_);
    if (!disk.mounted()) GTEST_SKIP() << "mounting a test file system needs root";
    disk.fill();
    {
        Tfrm_datehint dialog(prompts_, temp_work_, clock_);
        EXPECT_EQ(dialog.load_error, store::FxError::disk_full);
    }
    datehint_show(nullptr, prompts_, temp_work_, clock_);  // tells why and opens nothing
    EXPECT_EQ(prompts_.shown,
              std::vector<std::string>{anniversaries_unreadable(store::FxError::disk_full)});

    disk.free_space();
    Tfrm_datehint dialog(prompts_, temp_work_, clock_);
    ASSERT_EQ(dialog.load_error, store::FxError::none);
    add(dialog, QDate(2025, 5, 1), 1, "劳动");
    disk.fill();
    dialog.btn_ok->click();
    EXPECT_EQ(prompts_.shown.back(), anniversaries_not_saved(store::FxError::disk_full));
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.entries().size(), 2u);
    disk.free_space();
    EXPECT_EQ(stored(), before);
}

}  // namespace
}  // namespace velmora::calendar
