// Compares the lunar date of every day 1901..2050 with ICU's Chinese
// calendar, both read at noon in UTC+8.
#include <gtest/gtest.h>
#include <unicode/calendar.h>
#include <unicode/gregocal.h>
#include <unicode/simpletz.h>

#include <memory>
#include <set>

#include "calendar/DateCn.h"

namespace velmora::calendar {
namespace {

// Gregorian months (year, first, last) in which ICU is known to be wrong: a
// new moon minutes from midnight in Beijing, or a leap month placed by a
// cruder rule.
constexpr int icu_known_wrong[][3] = {{1917, 3, 5}, {1922, 6, 8}, {1954, 2, 3}, {1955, 2, 3},
                                      {1987, 7, 9}, {1999, 1, 2}, {2012, 8, 9}, {2018, 11, 12},
                                      {2027, 2, 3}, {2030, 2, 3}};

int known_difference_of(Date date) {
    for (int i = 0; i < static_cast<int>(std::size(icu_known_wrong)); ++i) {
        const auto& [year, first, last] = icu_known_wrong[i];
        if (date.year == year && date.month >= first && date.month <= last) return i;
    }
    return -1;
}

class IcuChinese {
public:
    IcuChinese() {
        const icu::SimpleTimeZone utc8(8 * 3600 * 1000, "UTC+8");
        chinese_.reset(icu::Calendar::createInstance(utc8, "root@calendar=chinese", status_));
        gregorian_ = std::make_unique<icu::GregorianCalendar>(utc8, status_);
        EXPECT_TRUE(U_SUCCESS(status_));
        EXPECT_STREQ(chinese_->getType(), "chinese");
    }
    int code(Date date) {
        gregorian_->set(date.year, date.month - 1, date.day, 12, 0, 0);
        chinese_->setTime(gregorian_->getTime(status_), status_);
        const int number =
            (chinese_->get(UCAL_MONTH, status_) + 1) * 100 + chinese_->get(UCAL_DATE, status_);
        EXPECT_TRUE(U_SUCCESS(status_));
        return chinese_->get(UCAL_IS_LEAP_MONTH, status_) != 0 ? -number : number;
    }

private:
    UErrorCode status_ = U_ZERO_ERROR;
    std::unique_ptr<icu::Calendar> chinese_;
    std::unique_ptr<icu::GregorianCalendar> gregorian_;
};

TEST(IcuComparison, EveryDayAgreesOutsideTheMonthsWhereIcuIsKnownWrong) {
    IcuChinese icu;
    std::set<int> differing_known_months;
    for (int year = 1901; year <= 2050; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= days_in_month(year, month); ++day) {
                const Date date{year, month, day};
                const int ours = lunar_date(date), theirs = icu.code(date);
                if (ours == theirs) continue;
                EXPECT_GE(known_difference_of(date), 0) << day_key(date) << ": ICU " << theirs;
                differing_known_months.insert(known_difference_of(date));
            }
        }
    }
    for (int i = 0; i < static_cast<int>(std::size(icu_known_wrong)); ++i) {
        EXPECT_TRUE(differing_known_months.count(i))
            << "ICU now agrees in " << icu_known_wrong[i][0] << "-" << icu_known_wrong[i][1]
            << ": no longer a known difference";
    }
}

}  // namespace
}  // namespace velmora::calendar
