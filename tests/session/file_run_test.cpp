// A configuration file's run on one port, through the device session, against simulated modems: the
// outcome, the failed step and the trail come from what the jobs and the link saw, never from the text
// on the wire.
#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <sstream>

#include "command_catalogue.h"
#include "file_run.h"
#include "model_kind.h"
#include "simulated_modem.h"

namespace {

using q470::sim::CommandFault;
using q470::sim::SimulatedModem;

std::string FileText(const char* name) {
    std::ifstream in(std::string(Q470_TEST_DATA) + "/config/" + name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

q470::FileRunRequest Request(const SimulatedModem& modem, const std::string& bytes, bool verify) {
    q470::FileRunRequest request;
    request.port = modem.PortPath();
    request.line = q470::ConnectionLine{9600, 8, 0, 0};
    request.fileBytes = bytes;
    request.verify = verify;
    return request;
}

const q470::AppliedStep* StepOf(const q470::ApplyTrail& trail, q470::CommandId command) {
    for (const auto& step : trail.acknowledged) {
        if (step.command == command) return &step;
    }
    return trail.failed && trail.failed->command == command ? &*trail.failed : nullptr;
}

TEST(FileRun, AFileIsWrittenRestartedReadBackAndTheTrailNamesEachSettingWithItsValues) {
    q470::sim::ModemSettings settings = q470::sim::FactorySettings(q470::sim::ModemModel::KS410);
    SimulatedModem modem(settings);
    ASSERT_TRUE(modem.Start());
    std::vector<q470::SessionStep> seen;
    auto request = Request(modem, FileText("ks410.json"), true);
    request.progress = [&](q470::SessionStep step) { seen.push_back(step); };
    const q470::FileRunResult result = q470::RunConfigurationFile(request);

    ASSERT_TRUE(result.ok) << static_cast<int>(result.end);
    EXPECT_TRUE(result.identified);
    EXPECT_EQ(result.device.modelKind, static_cast<std::uint32_t>(q470::ModelKs410));
    EXPECT_EQ(result.device.info.extendedAddress, settings.extendedAddress);
    ASSERT_TRUE(result.verify);
    EXPECT_EQ(result.verify->outcome, q470::VerifyOutcome::Verified);
    ASSERT_TRUE(result.trail);
    const q470::AppliedStep* userPanId = StepOf(*result.trail, q470::CmdUserPanIdSet);
    ASSERT_NE(userPanId, nullptr);
    EXPECT_EQ(userPanId->values, std::vector<std::uint32_t>{65533});
    EXPECT_EQ(userPanId->answer, q470::StepAnswer::Acknowledged);
    const q470::AppliedStep* restart = StepOf(*result.trail, q470::CmdRestart);
    ASSERT_NE(restart, nullptr);
    EXPECT_EQ(restart->answer, q470::StepAnswer::Acknowledged);
    const std::vector<q470::SessionStep> expected{q470::SessionStep::Opening,    q470::SessionStep::Identifying,
                                                  q470::SessionStep::Reading,    q470::SessionStep::ApplyingFile,
                                                  q470::SessionStep::Restarting, q470::SessionStep::Verifying};
    EXPECT_EQ(seen, expected);
    ASSERT_EQ(result.steps.size(), 5u);  // opening is no entry of its own
    EXPECT_EQ(result.steps.back().step, q470::SessionStep::Verifying);
}

// Where a run ends, and how, in the terms a station records.
TEST(FileRun, AFailureNamesItsStepAndHowTheDeviceTookIt) {
    CommandFault hangUp;
    hangUp.hangUp = true;
    struct Case {
        const char* name;
        const char* file;
        const char* faultAt;
        CommandFault fault;
        q470::SessionStep step;
        q470::StepEnd end;
        q470::StepAnswer answer;  // of the trail's failed step, when it has one
    } const cases[] = {
        {"refused item", "q470r_full.json", "AT+NETROLE=", CommandFault::Refused(), q470::SessionStep::ApplyingFile,
         q470::StepEnd::Refused, q470::StepAnswer::Refused},
        {"silent item", "q470r_full.json", "AT+RFCH=", CommandFault::Silent(), q470::SessionStep::ApplyingFile,
         q470::StepEnd::NoAnswer, q470::StepAnswer::NoAnswer},
        {"hang-up", "q470r_full.json", "AT+PANID=", hangUp, q470::SessionStep::ApplyingFile, q470::StepEnd::HungUp,
         q470::StepAnswer::HungUp},
        {"another model's file",
         "ks410.json",
         "",
         {},
         q470::SessionStep::CheckingRequest,
         q470::StepEnd::Refused,
         q470::StepAnswer::Acknowledged},
        {"no answer", "q470r_full.json", "AT+MODELNAME?", CommandFault::Silent(), q470::SessionStep::Identifying,
         q470::StepEnd::NoAnswer, q470::StepAnswer::Acknowledged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SimulatedModem modem({});
        ASSERT_TRUE(modem.Start());
        if (*c.faultAt) modem.SetFault(c.faultAt, c.fault);
        const q470::FileRunResult result = q470::RunConfigurationFile(Request(modem, FileText(c.file), true));
        EXPECT_FALSE(result.ok);
        ASSERT_TRUE(result.failedStep);
        EXPECT_EQ(*result.failedStep, c.step);
        EXPECT_EQ(result.end, c.end);
        if (c.step == q470::SessionStep::ApplyingFile) {
            ASSERT_TRUE(result.trail && result.trail->failed);
            EXPECT_EQ(result.trail->failed->answer, c.answer);
            EXPECT_FALSE(result.verify);
        }
        if (c.step == q470::SessionStep::CheckingRequest) {
            EXPECT_EQ(result.loaded.status, q470::ConfigLoadStatus::WrongProduct);
            EXPECT_FALSE(result.trail);
        }
    }
}

// A stop while an item waits ends the run there, and a device that was quiet is quiet again.
TEST(FileRun, AStopEndsTheRunAndPutsTheQuietModeBack) {
    q470::sim::ModemSettings settings;
    settings.quietMode = true;
    SimulatedModem modem(settings);
    ASSERT_TRUE(modem.Start());
    modem.SetPacing(true, 9600);
    // The stop comes while the device holds back its answer to an item, however slowly the run started.
    std::atomic<bool> stop{false};
    modem.SetFaultPolicy([&stop](const std::string& command) {
        CommandFault fault;
        if (command.rfind("AT+NETROLE=", 0) == 0) {
            fault.delay = std::chrono::milliseconds(300);
            stop = true;
        }
        return fault;
    });
    auto request = Request(modem, FileText("q470r_full.json"), true);
    request.stopRequested = [&] { return stop.load(); };
    const q470::FileRunResult result = q470::RunConfigurationFile(request);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.end, q470::StepEnd::Stopped);
    ASSERT_TRUE(result.failedStep);
    EXPECT_EQ(*result.failedStep, q470::SessionStep::ApplyingFile);
    ASSERT_TRUE(result.trail && result.trail->failed);
    EXPECT_EQ(result.trail->failed->answer, q470::StepAnswer::NotSent);
    EXPECT_TRUE(modem.Settings().quietMode);
    EXPECT_FALSE(result.verify);
}

}  // namespace

// A device that named its model just before (to a station's probe) is not identified again: only its
// quiet mode is asked, and a quiet device still gets its quiet mode back after the file.
TEST(FileRun, AKnownModelIsNotAskedAgainAndItsQuietModeIsStillLearnt) {
    for (const bool quiet : {false, true}) {
        SCOPED_TRACE(quiet ? "quiet" : "answering");
        q470::sim::ModemSettings settings = q470::sim::FactorySettings(q470::sim::ModemModel::KS410);
        settings.quietMode = quiet;
        SimulatedModem modem(settings);
        ASSERT_TRUE(modem.Start());
        auto request = Request(modem, FileText("ks410.json"), true);
        request.knownModel = q470::ModelKs410;
        const q470::FileRunResult result = q470::RunConfigurationFile(request);

        ASSERT_TRUE(result.ok) << static_cast<int>(result.end);
        EXPECT_EQ(result.device.modelKind, static_cast<std::uint32_t>(q470::ModelKs410));
        EXPECT_EQ(result.device.quietMode, quiet ? 1 : 0);
        // Up to the restart: the read-back after it asks who answers, as it should.
        for (const auto& command : modem.Commands()) {
            if (command.rfind("ATZ", 0) == 0) break;
            EXPECT_EQ(command.find("MODELNAME"), std::string::npos) << command;
        }
    }
}
