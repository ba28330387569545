// The lunar date of a spread of days, from the engine and from ICU's Chinese
// calendar in the same run; the ratio of their costs is the "icu_ratio"
// counter.
#include <benchmark/benchmark.h>
#include <unicode/calendar.h>
#include <unicode/simpletz.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "calendar/DateCn.h"
#include "calendar/holiday_keeper.h"
#include "calendar/holiday_renewal.h"
#include "calendar/holidays.h"

namespace {

using velmora::calendar::Date;

// Every 13th day of 1901..2050: all months, all years, both sides of New Year.
std::vector<Date> spread_dates() {
    std::vector<Date> dates;
    int skip = 0;
    for (int year = 1901; year <= 2050; ++year) {
        for (int month = 1; month <= 12; ++month) {
            for (int day = 1; day <= velmora::calendar::days_in_month(year, month); ++day) {
                if (++skip % 13 == 0) dates.push_back({year, month, day});
            }
        }
    }
    return dates;
}

// Milliseconds of noon in UTC+8 on the date.
double noon_utc8(Date date) {
    const int year = date.month <= 2 ? date.year - 1 : date.year;
    const int era = year / 400, year_of_era = year - era * 400;
    const int day_of_year = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    const long days = era * 146097L + year_of_era * 365 + year_of_era / 4 - year_of_era / 100 +
                      day_of_year - 719468;
    return (static_cast<double>(days) * 86400.0 + 4 * 3600.0) * 1000.0;
}

struct IcuDates {
    std::unique_ptr<icu::Calendar> calendar;
    std::vector<double> times;
    explicit IcuDates(const std::vector<Date>& dates) {
        UErrorCode status = U_ZERO_ERROR;
        calendar = std::unique_ptr<icu::Calendar>(
            icu::Calendar::createInstance(new icu::SimpleTimeZone(8 * 3600 * 1000, "UTC+8"),
                                          icu::Locale("root@calendar=chinese"), status));
        for (Date date : dates) times.push_back(noon_utc8(date));
    }
    long pass() {
        long sum = 0;
        UErrorCode status = U_ZERO_ERROR;
        for (double time : times) {
            calendar->setTime(time, status);
            sum += calendar->get(UCAL_DATE, status) + calendar->get(UCAL_MONTH, status) +
                   calendar->get(UCAL_IS_LEAP_MONTH, status);
        }
        return sum;
    }
};

long engine_pass(const std::vector<Date>& dates) {
    long sum = 0;
    for (Date date : dates) sum += velmora::calendar::lunar_date(date);
    return sum;
}

void BM_LunarDate(benchmark::State& state) {
    const auto dates = spread_dates();
    for (auto _ : state) benchmark::DoNotOptimize(engine_pass(dates));
    state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * dates.size()));
    state.counters["ns_per_date"] = benchmark::Counter(
        static_cast<double>(state.iterations() * dates.size()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}
BENCHMARK(BM_LunarDate)->Unit(benchmark::kMicrosecond);

// Times both on the same dates inside one benchmark, so the ratio compares
// the two under the same machine conditions.
void BM_LunarDateVersusIcu(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const auto dates = spread_dates();
    IcuDates icu(dates);
    Clock::duration engine{}, reference{};
    for (auto _ : state) {
        const auto start = Clock::now();
        for (int repeat = 0; repeat < 20; ++repeat) benchmark::DoNotOptimize(engine_pass(dates));
        const auto middle = Clock::now();
        benchmark::DoNotOptimize(icu.pass());
        reference += Clock::now() - middle;
        engine += (middle - start) / 20;
    }
    const double count = static_cast<double>(state.iterations() * dates.size());
    const auto ns = [count](Clock::duration total) {
        return std::chrono::duration<double, std::nano>(total).count() / count;
    };
    state.counters["engine_ns"] = ns(engine);
    state.counters["icu_ns"] = ns(reference);
    state.counters["icu_ratio"] = ns(reference) / ns(engine);
}
BENCHMARK(BM_LunarDateVersusIcu)->Unit(benchmark::kMillisecond);

// The inverse against the forward conversion of the same days, in one run:
// every day of the spread is taken to its lunar day and back.
void BM_SolarOfLunarVersusForward(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const auto dates = spread_dates();
    std::vector<velmora::calendar::LunarDay> lunar;
    for (Date date : dates) lunar.push_back(*velmora::calendar::lunar_of_solar(date));
    Clock::duration inverse{}, forward{};
    for (auto _ : state) {
        const auto start = Clock::now();
        for (const auto& day : lunar) {
            benchmark::DoNotOptimize(
                velmora::calendar::solar_of_lunar(day.year, day.month, day.leap, day.day));
        }
        const auto middle = Clock::now();
        for (Date date : dates) benchmark::DoNotOptimize(velmora::calendar::lunar_of_solar(date));
        forward += Clock::now() - middle;
        inverse += middle - start;
    }
    const double count = static_cast<double>(state.iterations() * dates.size());
    state.counters["inverse_ns"] =
        std::chrono::duration<double, std::nano>(inverse).count() / count;
    state.counters["forward_ns"] =
        std::chrono::duration<double, std::nano>(forward).count() / count;
}
BENCHMARK(BM_SolarOfLunarVersusForward)->Unit(benchmark::kMillisecond);

// The shipped holiday file read and indexed, against reading its bytes alone.
void BM_HolidayLoadVersusRead(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    Clock::duration load{}, read{};
    for (auto _ : state) {
        const auto start = Clock::now();
        benchmark::DoNotOptimize(velmora::calendar::HolidayTable::load(VELMORA_HOLIDAY_FILE));
        const auto middle = Clock::now();
        std::ifstream in(VELMORA_HOLIDAY_FILE, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        benchmark::DoNotOptimize(bytes);
        read += Clock::now() - middle;
        load += middle - start;
    }
    const double count = static_cast<double>(state.iterations());
    state.counters["load_us"] = std::chrono::duration<double, std::micro>(load).count() / count;
    state.counters["read_us"] = std::chrono::duration<double, std::micro>(read).count() / count;
}
BENCHMARK(BM_HolidayLoadVersusRead)->Unit(benchmark::kMicrosecond);

// What the start does now: the shipped file and a renewed copy holding two
// published years, read and combined into the table in force; against the
// shipped file alone.
void BM_HolidayKeeperVersusShippedAlone(benchmark::State& state) {
    using Clock = std::chrono::steady_clock;
    const std::string renewed = "/tmp/velmora-bench-renewed.txt";
    velmora::calendar::HolidayTable copy;
    const velmora::calendar::SourceOrigin from{velmora::calendar::HolidaySource::published,
                                               "http://127.0.0.1/{year}.json", "2026-12-10"};
    for (const int year : {2027, 2028}) {
        std::string days;
        for (int day = 1; day <= 9; ++day) {
            days += std::string(day > 1 ? "," : "") + R"({"name": "春节", "date": ")" +
                    std::to_string(year) + "-02-0" + std::to_string(day) +
                    R"(", "isOffDay": true})";
        }
        const std::string body = R"({"year": )" + std::to_string(year) +
                                 R"(, "papers": ["https://www.gov.cn/x.htm"], "days": [)" + days +
                                 "]}";
        velmora::calendar::merge_reading(
            copy, {}, velmora::calendar::read_published_json(body, year, from), from);
    }
    std::ofstream(renewed, std::ios::binary) << copy.format();
    Clock::duration both{}, shipped{};
    for (auto _ : state) {
        const auto start = Clock::now();
        velmora::calendar::HolidayKeeper keeper;
        keeper.load(VELMORA_HOLIDAY_FILE, renewed);
        benchmark::DoNotOptimize(keeper.in_force().size());
        const auto middle = Clock::now();
        benchmark::DoNotOptimize(velmora::calendar::HolidayTable::load(VELMORA_HOLIDAY_FILE));
        shipped += Clock::now() - middle;
        both += middle - start;
    }
    std::remove(renewed.c_str());
    const double count = static_cast<double>(state.iterations());
    state.counters["keeper_us"] = std::chrono::duration<double, std::micro>(both).count() / count;
    state.counters["shipped_us"] =
        std::chrono::duration<double, std::micro>(shipped).count() / count;
}
BENCHMARK(BM_HolidayKeeperVersusShippedAlone)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
