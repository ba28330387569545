// Fills a data folder's container for the tests that run velmora-cli as a
// program and read its output with another program:
//   cli_container DIR plan YYYY-MM-DD TEXT
//       adds a task (category A, in progress) to the day's plan list
//   cli_container DIR unplan YYYY-MM-DD TEXT
//       removes the task of that text from the day's plan list
//   cli_container DIR many-plans COUNT PREFIX
//       adds COUNT tasks "PREFIX n", ten a day from 2027-01-01, in one go
//   cli_container DIR lunar-yearly YYYY-MM-DD DESCRIPTION
//       adds an anniversary kept every year on that lunar date
// DIR/zenqdata.fx is made, with the top folders, when it is not there.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "calendar/DateCn.h"
#include "calendar/datehint.h"
#include "calendar/ics_writer.h"
#include "store/container_names.h"
#include "store/day_records.h"
#include "store/fx_tree.h"
#include "store/kx_efs.h"
#include "store/record_io.h"
#include "sys/sysutil.h"

namespace {

using namespace velmora;

int fail(const std::string& why) {
    std::fprintf(stderr, "cli_container: %s\n", why.c_str());
    return 1;
}

bool open_container(const std::string& path) {
    const bool fresh = !std::filesystem::exists(path);
    if (FX_Createoropenfx(path, store::container_password, 0, fresh ? "fileX" : "",
                          fresh ? "ccc" : "") != 1) {
        return false;
    }
    if (!fresh) return true;
    for (const char* top : store::top_folders) {
        if (FX_Addnode(0, top) != 1) return false;
    }
    return true;
}

int change_plan(const std::string& date_text, const std::string& text, const std::string& work,
                bool add) {
    const auto date = calendar::parse_dashed_date(date_text);
    if (!date) return fail("not a date: " + date_text);
    const std::string key = calendar::day_key(*date);
    const store::RecordRead read = store::read_record(store::plan_record_name(key), work);
    if (read.failed()) return fail("cannot read the plan list of " + date_text);
    std::vector<store::PlanTask> tasks = store::parse_plan_record(read.bytes);
    if (add) {
        tasks.push_back({"A", store::state_in_progress, text});
    } else {
        std::erase_if(tasks, [&](const store::PlanTask& task) { return task.text == text; });
    }
    const store::FxError saved = tasks.empty()
                                     ? store::drop_record(store::plan_record_name(key))
                                     : store::write_record(store::plan_folder, key + ".txt",
                                                           store::format_plan_record(tasks), work);
    if (saved != store::FxError::none) {
        return fail("cannot store the plan list of " + date_text);
    }
    return 0;
}

int add_lunar_yearly(const std::string& date_text, const std::string& description,
                     const std::string& work) {
    if (!calendar::parse_lunar_date(date_text, false))
        return fail("not a lunar date: " + date_text);
    calendar::AnniversaryRecord record;
    if (calendar::load_anniversaries(work, record) != store::FxError::none) {
        return fail("cannot read the anniversary list");
    }
    record.entries.push_back(
        {date_text, 3, calendar::state_on, description, calendar::DateKind::lunar, true});
    if (calendar::save_anniversaries(work, record) != store::FxError::none) {
        return fail("cannot store the anniversary list");
    }
    return 0;
}

int add_many_plans(int count, const std::string& prefix, const std::string& work) {
    store::ChangeBatch batch;
    for (int n = 0; n < count; n += 10) {
        calendar::Date day{2027, 1, 1};
        for (int k = 0; k < n / 10; ++k) day = calendar::ics::next_day(day);
        std::vector<store::PlanTask> tasks;
        for (int i = n; i < std::min(count, n + 10); ++i) {
            tasks.push_back({"B", store::state_in_progress, prefix + " " + std::to_string(i)});
        }
        if (store::write_record(store::plan_folder, calendar::day_key(day) + ".txt",
                                store::format_plan_record(tasks), work) != store::FxError::none) {
            return fail("cannot store the plans");
        }
    }
    return batch.commit() == store::FxError::none ? 0 : fail("cannot store the plans");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: cli_container DIR plan|unplan|lunar-yearly DATE TEXT\n");
        return 2;
    }
    const std::string what = argv[2];
    if (what != "plan" && what != "unplan" && what != "lunar-yearly" && what != "many-plans") {
        return fail("unknown command " + what);
    }
    if (!open_container(sys::path_join(argv[1], store::data_file_name))) {
        return fail(std::string("cannot open the container in ") + argv[1]);
    }
    const sys::StagingFolder staging;
    int status = 1;
    if (staging.error() != 0) {
        status = fail("cannot make a staging folder");
    } else if (what == "many-plans") {
        status = add_many_plans(std::atoi(argv[3]), argv[4], staging.path());
    } else if (what == "plan" || what == "unplan") {
        status = change_plan(argv[3], argv[4], staging.path(), what == "plan");
    } else {
        status = add_lunar_yearly(argv[3], argv[4], staging.path());
    }
    FX_Closefx(1);
    return status;
}
