// The tool against simulated modems: what each command sends, prints and returns.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>

#include "cli_rig.h"
#include "job_code.h"
#include "config_document.h"
#include "config_exchange.h"
#include "model_kind.h"
#include "narrow_text.h"
#include "q470comm.h"

namespace q470::test {
namespace {

bool Contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// Q470_LANG for the length of a test.
class Language {
public:
    explicit Language(const char* value) { ::setenv("Q470_LANG", value, 1); }
    ~Language() { ::unsetenv("Q470_LANG"); }
};

std::vector<std::string> Q470RGeneralApply(const std::string& opMode, const std::string& panId) {
    return {"AT+OPMODE=" + opMode + "\r", "AT+PANID=" + panId + "\r", "AT+PHYID=12\r", "AT+RFCH=99\r", "AT+NETROLE=1\r",
            "AT+UART=9600,0,0,8\r"};
}

TEST(CliCommands, IdentifySendsTheIdentifyJobAndPrintsModelAndQuietMode) {
    CliRig rig;
    const CliRun run = rig.Run({"identify"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Q470R (quiet mode off)\n");
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(rig.TakeCommands(), IdentifyCommands());

    CliRig quiet(sim::FactorySettings(sim::ModemModel::KS400));
    quiet.modem.UpdateSettings([](sim::ModemSettings& s) { s.quietMode = true; });
    CliEnvironment progress;
    progress.progress = true;
    const CliRun json = RunTool({"-p", quiet.Port(), "identify", "--json"}, progress);
    ASSERT_EQ(json.status, 0) << json.err;
    const auto document = ParseJson(json.out);
    const auto& port = PortRecord(document);
    EXPECT_STREQ(port["device"]["model"].GetString(), "KELDAN-KS400");
    EXPECT_TRUE(port["device"]["quiet"].GetBool());
    EXPECT_TRUE(port["device"]["firmware"].IsNull()) << "identify does not read";
    EXPECT_TRUE(port["ok"].GetBool());
    EXPECT_TRUE(document["ok"].GetBool());
    EXPECT_TRUE(Contains(json.err, "q470ctl: identifying the device...")) << json.err;
}

TEST(CliCommands, ReadAsJsonCarriesIdentityGeneralAndGpio) {
    CliRig rig;
    rig.modem.UpdateSettings([](sim::ModemSettings& s) {
        s.linkActive = false;
        s.normalMode = false;
        s.rxPullUp = true;
        s.opMode = 3;
        s.rfChannel = 104;
        s.gpio[2] = {2, 1};
        s.gpio[11] = {1, 1};
        s.reportInterval = 2000;
        s.sendRemote = true;
        sim::SetUart(s, sim::FromPortCodes(115200, 8, 1, 2));  // the line the tool opens
    });
    const CliRun run = rig.Run({"--json", "-b", "115200", "--parity", "odd", "--stop-bits", "2", "read"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(rig.TakeCommands(), Joined({IdentifyCommands(), ReadQ470RCommands()}));

    const auto document = ParseJson(run.out);
    const auto& d = PortRecord(document);
    EXPECT_EQ(d["port"].GetString(), rig.Port());
    const auto& device = d["device"];
    EXPECT_STREQ(device["model"].GetString(), "Q470R");
    EXPECT_FALSE(device["quiet"].GetBool());
    EXPECT_STREQ(device["extendedAddress"].GetString(), "00:12:4B:00:1A:2B:3C:4D");
    EXPECT_STREQ(device["firmware"].GetString(), "1.5.0");
    EXPECT_STREQ(device["status"].GetString(), "Q470R/RX, INACTIVE, setting mode");
    EXPECT_EQ(device["phyId"].GetInt(), 12);
    // The words and values `set` takes; the line is the one the port was opened with.
    const auto& settings = d["settings"];
    EXPECT_STREQ(settings["mode"].GetString(), "multi");
    EXPECT_STREQ(settings["role"].GetString(), "master");
    EXPECT_EQ(settings["channel"].GetInt(), 104);
    EXPECT_EQ(settings["panid"].GetInt(), 1234);
    EXPECT_FALSE(settings["outdoor"].GetBool());
    EXPECT_FALSE(settings.HasMember("upanid"));
    EXPECT_EQ(settings["baud"].GetInt(), 115200);
    EXPECT_STREQ(settings["parity"].GetString(), "odd");
    EXPECT_EQ(settings["stop-bits"].GetInt(), 2);
    EXPECT_EQ(settings["data-bits"].GetInt(), 8);
    EXPECT_FALSE(settings["quiet"].GetBool());
    EXPECT_TRUE(settings["rx-pullup"].GetBool());
    const auto& pins = d["gpio"]["pins"];
    ASSERT_EQ(pins.Size(), 13u);
    for (rapidjson::SizeType i = 0; i < pins.Size(); ++i) EXPECT_EQ(pins[i]["pin"].GetUint(), i);
    EXPECT_STREQ(pins[2]["mode"].GetString(), "alt");
    EXPECT_STREQ(pins[2]["value"].GetString(), "inv-push-pull");
    EXPECT_STREQ(pins[11]["mode"].GetString(), "output");
    EXPECT_STREQ(pins[11]["value"].GetString(), "high");
    EXPECT_STREQ(pins[0]["value"].GetString(), "no-pull");
    EXPECT_EQ(d["gpio"]["interval"].GetInt(), 2000);
    EXPECT_TRUE(d["gpio"]["send-to-peer"].GetBool());
}

TEST(CliCommands, ReadOfAKeldanHasAUserPanIdAndNoGpio) {
    CliRig rig(sim::FactorySettings(sim::ModemModel::KS410));
    const CliRun run = rig.Run({"read", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(rig.TakeCommands(), Joined({IdentifyCommands(), ReadKsCommands()}));
    const auto document = ParseJson(run.out);
    const auto& d = PortRecord(document);
    EXPECT_STREQ(d["device"]["model"].GetString(), "KELDAN-KS410");
    EXPECT_STREQ(d["device"]["status"].GetString(), "KELDAN-KS410, ACTIVE");
    EXPECT_EQ(d["settings"]["upanid"].GetInt(), 4660);
    EXPECT_FALSE(d["settings"].HasMember("panid"));
    EXPECT_FALSE(d["settings"].HasMember("rx-pullup"));
    EXPECT_TRUE(d["gpio"].IsNull());
}

TEST(CliCommands, ReadAsTextUsesTheWordsOfSetAndGpioAndTheWindowsLabels) {
    CliRig rig(Q470RFirmware("1.4.9"));
    rig.modem.UpdateSettings([](sim::ModemSettings& s) {
        s.normalMode = false;
        s.gpio[2] = {2, 1};
        s.gpio[5] = {1, 1};
    });
    const Language korean("ko");
    const CliRun run = rig.Run({"read"});
    ASSERT_EQ(run.status, 0) << run.err;
    for (const char* line :
         {"모델: Q470R\n", "기본설정:\n", "GPIO설정:\n", "장치 확장 주소: 00:12:4B:00:1A:2B:3C:4D\n",
          "펌웨어 버전: 1.4.9\n", "상태 정보: Q470R/RX, ACTIVE, 설정 모드\n", "  mode=p2pcmd\n", "  panid=1234\n",
          "  channel=99\n", "  parity=none\n", "  2=alt:inv-push-pull\n", "  5=output:high\n", "  --interval 0\n"}) {
        EXPECT_TRUE(Contains(run.out, line)) << line << " in\n" << run.out;
    }
    EXPECT_FALSE(Contains(run.out, "rx-pullup")) << "firmware 1.4.9 has no RX pull-up";
}

TEST(CliCommands, SetAppliesThroughTheGeneralJobWithThePagesRecord) {
    CliRig rig;
    const CliRun run = rig.Run({"set", "mode=multi", "panid=4321", "rx-pullup=1"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "General settings are applied successfully.\nChanges will be applied after restart the device\n");
    EXPECT_EQ(
        rig.TakeCommands(),
        Joined(
            {IdentifyCommands(), ReadQ470RCommands(), Q470RGeneralApply("3", "4321"), {"AT+URPU=1\r", "AT+QM=0\r"}}));
    const auto settings = rig.modem.Settings();
    EXPECT_EQ(settings.opMode, 3);
    EXPECT_EQ(settings.panId, 4321);
    EXPECT_TRUE(settings.rxPullUp);
}

TEST(CliCommands, SetWithAPanIdChangeOnOldFirmwareClearsAssociationsAndRestarts) {
    CliRig rig(Q470RFirmware("1.4.0"));
    const CliRun run = rig.Run({"set", "panid=4321", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(rig.TakeCommands(), Joined({IdentifyCommands(),
                                          ReadQ470RCommands(false),
                                          Q470RGeneralApply("2", "4321"),
                                          {"AT+QM=0\r", "AT+ASSOCCLR\r", "ATZ\r"}}));
    const auto document = ParseJson(run.out);
    const auto& d = PortRecord(document);
    EXPECT_TRUE(d["associationCleared"].GetBool());
    EXPECT_TRUE(d["restarted"].GetBool());
    EXPECT_TRUE(Contains(d["message"].GetString(), "The PAN ID has changed"));

    // The same PAN ID again: nothing to clear.
    ASSERT_EQ(rig.Run({"set", "panid=4321"}).status, 0);
    const auto commands = rig.TakeCommands();
    EXPECT_EQ(commands.back(), "AT+QM=0\r");
}

TEST(CliCommands, SetOnAKeldanSendsOnlyWhatItsJobSends) {
    CliRig rig(sim::FactorySettings(sim::ModemModel::KS410));
    const CliRun run = rig.Run({"set", "upanid=77", "baud=115200", "parity=even"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(rig.TakeCommands(), Joined({IdentifyCommands(),
                                          ReadKsCommands(),
                                          {"AT+OPMODE=2\r", "AT+UPANID=77\r", "AT+UART=115200,0,1,8\r", "AT+QM=0\r"}}));
}

// Unless outdoor= changes the plan, set writes the radio back as the device holds it: PHY ID 8 keeps
// its channel 50 (the page's PHY ID 2 has no channel 50), PHY ID 5 becomes 2 with its channel.
TEST(CliCommands, SetKeepsTheDevicesRadioPlan) {
    struct Case {
        std::uint8_t phyId;
        std::uint8_t channel;
        std::string phyCommand;
        std::string channelCommand;
    };
    for (const Case& c : {Case{8, 50, "AT+PHYID=8\r", "AT+RFCH=50\r"}, Case{5, 100, "AT+PHYID=2\r", "AT+RFCH=100\r"},
                          Case{13, 104, "AT+PHYID=12\r", "AT+RFCH=104\r"}, Case{1, 7, "AT+PHYID=1\r", "AT+RFCH=7\r"}}) {
        CliRig rig;
        rig.modem.UpdateSettings([&](sim::ModemSettings& s) {
            s.phyId = c.phyId;
            s.rfChannel = c.channel;
        });
        const CliRun run = rig.Run({"set", "quiet=0"});
        ASSERT_EQ(run.status, 0) << run.err;
        const auto sent = rig.TakeCommands();
        EXPECT_NE(std::find(sent.begin(), sent.end(), c.phyCommand), sent.end()) << int{c.phyId};
        EXPECT_NE(std::find(sent.begin(), sent.end(), c.channelCommand), sent.end()) << int{c.phyId};
    }
    // A device whose channel is outside its own plan does not get it written back.
    CliRig rig;
    rig.modem.UpdateSettings([](sim::ModemSettings& s) {
        s.phyId = 5;
        s.rfChannel = 50;
    });
    const CliRun run = rig.Run({"set", "quiet=0"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Contains(run.err, "channel 50 is not in the channel plan of PHY ID 2 (allowed: 93 to 105); give "
                                  "channel=")) << run.err;
    EXPECT_EQ(rig.TakeCommands(), Joined({IdentifyCommands(), ReadQ470RCommands()}));
}

// Pins the command leaves alone go out as read: a value the device holds but may not is refused,
// named, and nothing is written.
TEST(CliCommands, GpioRefusesToWriteBackValuesTheDeviceMayNotHold) {
    CliRig rig;
    rig.modem.UpdateSettings([](sim::ModemSettings& s) { s.gpio[7] = {2, 0}; });
    const CliRun run = rig.Run({"gpio", "5=output:high"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Contains(run.err, "GPIO 7 mode: 2 is not allowed (allowed: 0 to 1, the modes of pin 7).")) << run.err;
    EXPECT_EQ(rig.TakeCommands(), Joined({IdentifyCommands(), ReadQ470RCommands()}));
    ASSERT_EQ(rig.Run({"gpio", "7=input"}).status, 0);
}

TEST(CliCommands, GpioAppliesAllThirteenPinsAndThePeriodicReport) {
    CliRig rig;
    const CliRun run = rig.Run({"gpio", "2=alt:1", "5=output:high", "--interval", "1000", "--send-to-peer", "1"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Contains(run.out, "GPIO settings are applied successfully.")) << run.out;
    std::vector<std::string> apply;
    for (int pin = 0; pin < 13; ++pin) {
        char mask[8];
        std::snprintf(mask, sizeof mask, "%04X", 1u << pin);
        const std::string setting = pin == 2 ? "2,1" : pin == 5 ? "1,1" : "0,0";
        apply.push_back(std::string("AT+GPIOC=") + mask + "," + setting + "\r");
    }
    apply.push_back("AT+GPIOP=1000,1\r");
    EXPECT_EQ(rig.TakeCommands(), Joined({IdentifyCommands(), ReadQ470RCommands(), apply}));
    const auto settings = rig.modem.Settings();
    EXPECT_EQ(settings.gpio[2].ioMode, 2);
    EXPECT_EQ(settings.gpio[5].pinConfig, 1);
    EXPECT_EQ(settings.reportInterval, 1000u);
    EXPECT_TRUE(settings.sendRemote);
}

TEST(CliCommands, RestartAndFactoryResetFollowTheIdentify) {
    CliRig rig;
    EXPECT_EQ(rig.Run({"restart"}).status, 0);
    EXPECT_EQ(rig.TakeCommands(), Joined({IdentifyCommands(), {"ATZ\r"}}));
    const CliRun reset = rig.Run({"factory-reset", "--json"});
    EXPECT_EQ(reset.status, 0) << reset.err;
    EXPECT_EQ(rig.TakeCommands(), Joined({IdentifyCommands(), {"AT&F\r"}}));
    EXPECT_TRUE(PortRecord(ParseJson(reset.out))["restarted"].GetBool());
}

// Every line up to the final OK or ERROR, for any command: the catalogue's own completion (a query's
// data line) does not cut the answer short, and a command the catalogue does not know is no different.
TEST(CliCommands, AtPrintsEveryLineUntilTheFinalLine) {
    CliRig rig;
    CliRun run = rig.Run({"at", "AT+VER?"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "+VER,1.5.0\nOK\n");
    EXPECT_EQ(rig.TakeCommands(), Joined({IdentifyCommands(), {"AT+VER?\r"}}));

    run = rig.Run({"at", "AT+FOO=1"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "ERROR\n");
    EXPECT_TRUE(Contains(run.err, "answered ERROR")) << run.err;

    // ERROR ends a query too; silence ends at the time-out with what came.
    rig.modem.SetFault("AT+VER?", sim::CommandFault::Refused());
    run = rig.Run({"at", "AT+VER?", "--json"});
    EXPECT_EQ(run.status, 1);
    EXPECT_STREQ(PortRecord(ParseJson(run.out))["outcome"].GetString(), "refused");
    rig.modem.SetFault("AT+VER?", sim::CommandFault::Silent());
    run = rig.Run({"at", "AT+VER?", "--timeout", "300"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_TRUE(Contains(run.err, "within 300 ms")) << run.err;
    rig.modem.ClearFaults();
    rig.TakeCommands();

    run = rig.Run({"at", "--no-identify", "AT+GPIOC?", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(rig.TakeCommands(), std::vector<std::string>{"AT+GPIOC?\r"});
    const auto document = ParseJson(run.out);
    const auto& d = PortRecord(document);
    ASSERT_EQ(d["lines"].Size(), 14u);
    EXPECT_STREQ(d["lines"][12].GetString(), "+GPIOC,12,0,0");
    EXPECT_STREQ(d["lines"][13].GetString(), "OK");
    EXPECT_STREQ(d["final"].GetString(), "OK");
    EXPECT_STREQ(d["command"].GetString(), "AT+GPIOC?");
    EXPECT_TRUE(d["device"].IsNull()) << "not identified";
}

// A device in quiet mode sends no final line: a query ends on its data line, as the catalogue has it.
TEST(CliCommands, AtOnAQuietDeviceEndsAQueryOnItsDataLine) {
    CliRig rig;
    rig.modem.UpdateSettings([](sim::ModemSettings& s) { s.quietMode = true; });
    CliRun run = rig.Run({"at", "AT+VER?", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    const auto document = ParseJson(run.out);
    EXPECT_EQ(PortRecord(document)["lines"].Size(), 1u);
    EXPECT_TRUE(PortRecord(document)["final"].IsNull());
    run = rig.Run({"at", "AT+OPMODE=2", "--timeout", "200"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.err, "quiet mode")) << run.err;
}

TEST(CliCommands, SaveWritesTheModelsFileForEachPort) {
    TemporaryFolder folder;
    CliRig q470r;
    CliRig keldan(sim::FactorySettings(sim::ModemModel::KS400));
    const CliRun run = RunTool({"-p", q470r.Port(), "-p", keldan.Port(), "save", folder.File("{port}.json")});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(q470r.TakeCommands(), Joined({IdentifyCommands(), ReadQ470RCommands()}));

    const auto fileOf = [&](const CliRig& rig) {
        return folder.File(std::filesystem::path(rig.Port()).filename().string() + ".json");
    };
    ConfigDocument document;
    SettingItemList items;
    ASSERT_EQ(LoadConfigForModel(NarrowToWide(fileOf(q470r)), ModelQ470R, document, items).status,
              ConfigLoadStatus::Loaded);
    EXPECT_EQ(items.size(), 20u);
    items.clear();
    // A KELDAN-KS400 saves the KELDAN-KS410 form.
    ASSERT_EQ(LoadConfigForModel(NarrowToWide(fileOf(keldan)), ModelKs410, document, items).status,
              ConfigLoadStatus::Loaded);
    EXPECT_EQ(items.size(), 4u);

    const CliRun missing = q470r.Run({"save", folder.File("no-such-folder/x.json")});
    EXPECT_EQ(missing.status, 4);
    EXPECT_TRUE(Contains(missing.err, "Cannot save configuration file.")) << missing.err;
}

TEST(CliCommands, ApplyOfASavedFileReproducesTheDeviceAndRestartsIt) {
    TemporaryFolder folder;
    const std::string file = folder.File("q470r.json");
    CliRig source;
    source.modem.UpdateSettings([](sim::ModemSettings& s) {
        s.opMode = 4;
        s.netRole = 2;
        s.panId = 777;
        s.rfChannel = 103;
        s.gpio[2] = {2, 1};
        s.gpio[12] = {1, 1};
        s.reportInterval = 2000;
        s.sendRemote = true;
    });
    ASSERT_EQ(source.Run({"save", file}).status, 0);

    CliRig target;
    const CliRun run = target.Run({"apply", file});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "Configuration applied successfully\nAT commands sent: 20\n");
    const auto commands = target.TakeCommands();
    const auto readDone = Joined({IdentifyCommands(), ReadQ470RCommands()});
    ASSERT_GT(commands.size(), readDone.size());
    EXPECT_EQ(std::vector<std::string>(commands.begin(), commands.begin() + readDone.size()), readDone);
    EXPECT_EQ(commands.back(), "ATZ\r");
    const auto want = source.modem.Settings();
    const auto got = target.modem.Settings();
    EXPECT_EQ(got.opMode, want.opMode);
    EXPECT_EQ(got.netRole, want.netRole);
    EXPECT_EQ(got.panId, want.panId);
    EXPECT_EQ(got.rfChannel, want.rfChannel);
    for (std::size_t pin = 0; pin < 13; ++pin) {
        EXPECT_EQ(got.gpio[pin].ioMode, want.gpio[pin].ioMode) << pin;
        EXPECT_EQ(got.gpio[pin].pinConfig, want.gpio[pin].pinConfig) << pin;
    }
    EXPECT_EQ(got.reportInterval, want.reportInterval);
    EXPECT_EQ(got.sendRemote, want.sendRemote);

    // A refused item fails the job: reported with what the device took and the failed step, and the
    // device is not restarted.
    CliRig refusing;
    refusing.modem.SetFault("AT+RFCH=", sim::CommandFault::Refused());
    const CliRun failed = refusing.Run({"apply", file, "--json"});
    EXPECT_EQ(failed.status, 1);
    EXPECT_TRUE(Contains(failed.err, "Failed to apply configuration.\n")) << failed.err;
    EXPECT_TRUE(Contains(failed.err, ":   Acknowledged by the device: AT+OPMODE=4, AT+PANID=777, AT+NETROLE=2\n")) << failed.err;
    EXPECT_TRUE(Contains(failed.err, ":   Failed step: AT+RFCH=103\n")) << failed.err;
    const auto document = ParseJson(failed.out);
    const auto& json = PortRecord(document);
    EXPECT_EQ(json["jobResult"].GetInt(), 4) << "the RF channel item's code";
    EXPECT_STREQ(json["outcome"].GetString(), "refused");
    ASSERT_EQ(json["acknowledged"].Size(), 3u);
    EXPECT_STREQ(json["acknowledged"][2].GetString(), "AT+NETROLE=2");
    EXPECT_STREQ(json["failedStep"].GetString(), "AT+RFCH=103");
    EXPECT_EQ(json["sent"].Size(), 4u);
    EXPECT_EQ(json["commandsSent"].GetInt(), 4);
    EXPECT_STREQ(json["sent"][3].GetString(), "AT+RFCH=103");
    EXPECT_STREQ(json["details"][1].GetString(), "Failed step: AT+RFCH=103");
    // What the failed item kept from the device: the quiet mode, the UART, the thirteen pins, the report.
    ASSERT_EQ(json["notSent"].Size(), 16u);
    EXPECT_STREQ(json["notSent"][0]["member"].GetString(), "General/Quiet Mode");
    EXPECT_STREQ(json["notSent"][0]["reason"].GetString(), "notReached");
    EXPECT_STREQ(json["notSent"][1]["member"].GetString(), "General/UART");
    EXPECT_STREQ(json["notSent"][15]["member"].GetString(), "GPIOs/Periodic Report");
    EXPECT_TRUE(Contains(failed.err, ":   General/UART: not sent, the apply stopped before it.\n")) << failed.err;
    for (const auto& command : refusing.TakeCommands()) EXPECT_NE(command, "ATZ\r");
}

// Members the file names but the tool does not send are warned about on standard error and listed in
// --json; the rest of the file still goes.
TEST(CliCommands, ApplyWarnsAboutMembersItDoesNotSend) {
    TemporaryFolder folder;
    const std::string file = folder.File("typo.json");
    WriteFile(file, R"({"General": {"PanID": 4660, "Operation Mode": 3, "Quiet Mode": "no"}})");
    CliRig rig;
    const CliRun run = rig.Run({"apply", file});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(Contains(run.err, rig.Port() + ": warning: General/PanID: unknown member, not read. (did you mean "
                                                 "\"PAN ID\"?)\n"))
        << run.err;
    EXPECT_TRUE(Contains(run.err, "warning: General/Quiet Mode: \"no\" is not true or false, not read.\n")) << run.err;
    EXPECT_EQ(rig.TakeCommands(), Joined({IdentifyCommands(), ReadQ470RCommands(), {"AT+OPMODE=3\r", "ATZ\r"}}));

    const CliRun json = rig.Run({"apply", file, "--json"});
    ASSERT_EQ(json.status, 0) << json.err;
    const auto document = ParseJson(json.out);
    const auto& d = PortRecord(document);
    ASSERT_EQ(d["warnings"].Size(), 2u);
    ASSERT_EQ(d["notSent"].Size(), 2u);
    EXPECT_STREQ(d["notSent"][0]["reason"].GetString(), "unknownMember");
    EXPECT_EQ(d["commandsSent"].GetInt(), 1);
    ASSERT_EQ(d["problems"].Size(), 2u);
    EXPECT_STREQ(d["problems"][0]["kind"].GetString(), "unknownMember");
    EXPECT_STREQ(d["problems"][0]["member"].GetString(), "General/PanID");
    EXPECT_FALSE(d["problems"][0]["refused"].GetBool());
    EXPECT_STREQ(d["problems"][1]["kind"].GetString(), "wrongType");
    EXPECT_STREQ(d["problems"][1]["value"].GetString(), "\"no\"");
    ASSERT_EQ(d["acknowledged"].Size(), 2u);  // the setting and the restart that follows the file
    EXPECT_STREQ(d["acknowledged"][1].GetString(), "ATZ");
    EXPECT_TRUE(d["failedStep"].IsNull());
}

TEST(CliCommands, ABadFileStopsBeforeAnythingIsWritten) {
    TemporaryFolder folder;
    const std::string keldanFile = folder.File("ks410.json");
    CliRig keldan(sim::FactorySettings(sim::ModemModel::KS410));
    ASSERT_EQ(keldan.Run({"save", keldanFile}).status, 0);
    ::mkdir(folder.File("folder.json").c_str(), 0700);

    struct Case {
        const char* name;
        std::string content;  // empty: the file does not exist (or is given by name below)
        std::string message;
        std::string cause;
        bool reachesDevice;  // only the model check and the channel plan need the device
        std::string file = {};
    };
    const Case cases[] = {
        {"missing", "", "Failed to load configuation file.", "The file does not exist.", false},
        {"a folder", "", "Failed to load configuation file.", "It is not a regular file", false,
         folder.File("folder.json")},
        {"not JSON", "{\"General\": ", "Failed to load configuation file.",
         "Not valid JSON at line 1, column 13: a value is missing or not valid", false},
        {"trailing comma", "{\"General\": {\"PAN ID\": 1,}}", "Failed to load configuation file.",
         "Not valid JSON at line 1, column 26", false},
        {"root not an object", "[1, 2]", "configuration file.(-1)", "The top level of the file is not an object",
         false},
        {"unknown model", "{\"Model Name\": \"KELDAN-KS400\"}", "configuration file.(-2)",
         "\"Model Name\" must be \"Q470R\" or \"KELDAN-KS410\", not \"KELDAN-KS400\".", false},
        {"nothing to apply", "{\"General\": {\"PanID\": 4660}}", "holds no valid setting values",
         "General/PanID: unknown member, not read. (did you mean \"PAN ID\"?)", false},
        {"a value its member may not hold", "{\"General\": {\"Operation Mode\": 3, \"PAN ID\": 70196}}",
         "Failed to load configuation file.", "General/PAN ID: 70196 is not allowed (allowed: 1 to 65533).", false},
        {"another product's file", "", "is not for the product being configured",
         "The file is for the KELDAN-KS410; the connected device is a Q470R.", true, keldanFile},
        {"a channel of another plan", "{\"General\": {\"Operation Mode\": 3, \"RF Channel\": 50}}",
         "Failed to load configuation file.",
         "General/RF Channel: 50 is not allowed (allowed: 99 to 105, the channels of PHY ID 12).", true},
    };
    CliRig rig;
    for (const auto& c : cases) {
        std::string file = c.file.empty() ? folder.File(std::string(c.name) + ".json") : c.file;
        if (!c.content.empty()) WriteFile(file, c.content);
        const CliRun run = rig.Run({"apply", file});
        EXPECT_EQ(run.status, 4) << c.name;
        EXPECT_TRUE(Contains(run.err, c.message)) << c.name << ": " << run.err;
        EXPECT_TRUE(Contains(run.err, c.cause)) << c.name << ": " << run.err;
        EXPECT_LT(run.err.find(c.message), run.err.find(c.cause)) << c.name << ": the window's text comes first";
        const auto sent =
            c.reachesDevice ? Joined({IdentifyCommands(), ReadQ470RCommands()}) : std::vector<std::string>{};
        EXPECT_EQ(rig.TakeCommands(), sent) << c.name;
    }

    // --json: a file refused before any port opens is one object with the problems.
    const CliRun json = rig.Run({"apply", folder.File("a value its member may not hold.json"), "--json"});
    EXPECT_EQ(json.status, 4);
    const auto d = ParseJson(json.out);
    EXPECT_FALSE(d["ok"].GetBool());
    EXPECT_EQ(d["exitStatus"].GetInt(), 4);
    EXPECT_STREQ(d["outcome"].GetString(), "file-refused");
    EXPECT_EQ(d["ports"].Size(), 0u);
    ASSERT_EQ(d["problems"].Size(), 1u);
    EXPECT_TRUE(d["problems"][0]["refused"].GetBool());
    EXPECT_STREQ(d["problems"][0]["member"].GetString(), "General/PAN ID");
    EXPECT_STREQ(d["problems"][0]["value"].GetString(), "70196");
    EXPECT_STREQ(d["problems"][0]["allowed"].GetString(), "1 to 65533");
    EXPECT_TRUE(rig.TakeCommands().empty());

    const Language korean("ko");
    const CliRun run = rig.Run({"apply", folder.File("not JSON.json")});
    EXPECT_EQ(run.status, 4);
    EXPECT_TRUE(Contains(run.err, "설정 파일을 읽어 들이는데 실패하였습니다.")) << run.err;
    EXPECT_TRUE(Contains(run.err, "JSON 형식이 아닙니다(1번째 줄, 13번째 글자)")) << run.err;
}

TEST(CliCommands, BadArgumentsAreUsageErrorsAndNothingIsSent) {
    CliRig rig;
    const std::vector<std::vector<std::string>> cases = {
        {"blink"},
        {"-b", "1200", "read"},
        {"set", "panid=0"},
        {"set", "panid=65534"},
        {"gpio", "13=input"},
        {"gpio", "--interval", "500"},
        {"at", "AT\tX"},
    };
    for (const auto& args : cases) {
        const CliRun run = rig.Run(args);
        EXPECT_EQ(run.status, 2) << args.front();
        EXPECT_EQ(run.out, "") << args.front();
        EXPECT_TRUE(Contains(run.err, "Try 'q470ctl --help'")) << run.err;
    }
    EXPECT_TRUE(rig.TakeCommands().empty());

    // What only the device can tell: nothing beyond the queries goes out.
    CliRun run = rig.Run({"set", "upanid=5"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Contains(run.err, "use panid=")) << run.err;
    EXPECT_EQ(rig.TakeCommands(), IdentifyCommands());
    run = rig.Run({"set", "channel=50"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Contains(run.err, "99 to 105")) << run.err;
    EXPECT_EQ(rig.TakeCommands(), Joined({IdentifyCommands(), ReadQ470RCommands()}));
    CliRig keldan(sim::FactorySettings(sim::ModemModel::KS410));
    run = keldan.Run({"gpio", "1=output"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(Contains(run.err, "KELDAN-KS410 has no GPIO settings")) << run.err;
    EXPECT_EQ(keldan.TakeCommands(), IdentifyCommands());
}

TEST(CliCommands, APortThatCannotBeOpenedIsStatusThree) {
    CliRun run = RunTool({"-p", "/dev/q470-no-such-port", "read"});
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(Contains(run.err, "There is no such port")) << run.err;

    CliRig rig;
    Q470Comm other;
    ASSERT_FALSE(other.Open(rig.Port(), 9600, 8, 0, 0));
    run = rig.Run({"read"});
    EXPECT_EQ(run.status, 3);
    EXPECT_TRUE(Contains(run.err, "Another program is using this port")) << run.err;
    other.Close();
    EXPECT_TRUE(rig.TakeCommands().empty());
}

TEST(CliCommands, ADeviceThatDoesNotIdentifyIsStatusOne) {
    CliRig rig;
    rig.modem.UpdateSettings([](sim::ModemSettings& s) { s.modelName = "Q470X"; });
    const CliRun run = rig.Run({"restart"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(Contains(run.err, "Failed to communicate with device.")) << run.err;
    EXPECT_TRUE(Contains(run.err, "model name is none of")) << run.err;
    EXPECT_EQ(rig.TakeCommands(), IdentifyCommands());
}

// Three devices at once: each port gets its own conversation and its own result, in the order the
// ports were given, and the worst status is the tool's.
TEST(CliCommands, SeveralPortsRunInParallelEachWithItsOwnResult) {
    std::vector<std::unique_ptr<CliRig>> rigs;
    for (std::uint64_t i = 1; i <= 3; ++i) {
        sim::ModemSettings settings;
        settings.extendedAddress = 0x1111111111111100ull + i;
        rigs.push_back(std::make_unique<CliRig>(settings));
    }
    std::vector<std::string> args{"read", "--json"};
    for (const auto& rig : rigs) args.insert(args.end(), {"-p", rig->Port()});
    CliRun run = RunTool(args);
    ASSERT_EQ(run.status, 0) << run.err;
    const auto d = ParseJson(run.out);
    ASSERT_EQ(d["ports"].Size(), 3u);
    for (rapidjson::SizeType i = 0; i < 3; ++i) {
        EXPECT_EQ(PortRecord(d, i)["port"].GetString(), rigs[i]->Port());
        EXPECT_EQ(PortRecord(d, i)["device"]["extendedAddress"].GetString(),
                  "11:11:11:11:11:11:11:0" + std::to_string(i + 1));
        EXPECT_EQ(rigs[i]->TakeCommands(), Joined({IdentifyCommands(), ReadQ470RCommands()})) << i;
    }

    // One device that does not identify, one port missing: all are reported, the missing port wins.
    rigs[1]->modem.UpdateSettings([](sim::ModemSettings& s) { s.modelName = "Q470X"; });
    args.insert(args.end(), {"-p", "/dev/q470-no-such-port"});
    run = RunTool(args);
    EXPECT_EQ(run.status, 3);
    const auto mixed = ParseJson(run.out);
    ASSERT_EQ(mixed["ports"].Size(), 4u);
    EXPECT_TRUE(PortRecord(mixed, 0)["ok"].GetBool());
    EXPECT_EQ(PortRecord(mixed, 1)["exitStatus"].GetInt(), 1);
    EXPECT_EQ(PortRecord(mixed, 1)["jobResult"].GetInt(), 10);
    EXPECT_STREQ(PortRecord(mixed, 1)["outcome"].GetString(), "unknown-model");
    EXPECT_TRUE(PortRecord(mixed, 2)["ok"].GetBool());
    EXPECT_EQ(PortRecord(mixed, 3)["exitStatus"].GetInt(), 3);
    EXPECT_STREQ(PortRecord(mixed, 3)["outcome"].GetString(), "no-such-port");
    EXPECT_STREQ(mixed["outcome"].GetString(), "no-such-port") << "the worst port's";
    EXPECT_EQ(mixed["exitStatus"].GetInt(), 3);
    EXPECT_EQ(rigs[1]->TakeCommands(), IdentifyCommands());
    EXPECT_EQ(rigs[2]->TakeCommands(), Joined({IdentifyCommands(), ReadQ470RCommands()}));

    // Without the missing port the device failure is the worst.
    args.resize(args.size() - 2);
    EXPECT_EQ(RunTool(args).status, 1);
}

// Every query answers its data line at once and its final OK later, up to just under its time-out;
// then the device refuses the first setting. The tool must fail at that step with its result code,
// every time: a late OK taken for the refused command's answer would report it as applied.
TEST(CliCommands, ALateOkNeverAcknowledgesARefusedSetting) {
    TemporaryFolder folder;
    const std::string file = folder.File("q470r.json");
    {
        CliRig source;
        ASSERT_EQ(source.Run({"save", file}).status, 0);
    }
    struct Command {
        std::vector<std::string> args;
        const char* refused;
        std::int32_t result;
    };
    const Command commands[] = {
        {{"set", "mode=multi", "--json"}, "AT+OPMODE=", JobFailed},
        {{"gpio", "5=output:high", "--json"}, "AT+GPIOC=", JobFailed},
        {{"apply", file, "--json"}, "AT+OPMODE=", FileOpModeFailed},
    };
    struct Delay {
        std::chrono::milliseconds trailer;
        bool everyQuery;  // otherwise only the read's last query, right before the first setting
    };
    const Delay delays[] = {{3ms, true}, {60ms, true}, {1900ms, false}};
    for (const auto& delay : delays) {
        for (const auto& command : commands) {
            SCOPED_TRACE(std::to_string(delay.trailer.count()) + " ms, " + command.args[0]);
            CliRig rig;
            const std::string refused = command.refused;
            rig.modem.SetFaultPolicy([delay, refused](const std::string& text) {
                sim::CommandFault fault;
                if (text.rfind(refused, 0) == 0) fault.answerError = true;
                if (text.back() == '?' && (delay.everyQuery || text == "AT+URPU?")) fault.trailerDelay = delay.trailer;
                return fault;
            });
            const CliRun run = rig.Run(command.args);
            EXPECT_EQ(run.status, 1) << run.out;
            EXPECT_EQ(PortRecord(ParseJson(run.out))["jobResult"].GetInt(), command.result);
            const auto sent = rig.TakeCommands();
            const auto firstRefused = std::find_if(sent.begin(), sent.end(), [&](const std::string& c) {
                return c.rfind(refused, 0) == 0;
            });
            ASSERT_NE(firstRefused, sent.end());
            for (auto c = firstRefused + 1; c != sent.end(); ++c) EXPECT_EQ(c->rfind("AT+QM=", 0), 0u) << *c;
        }
    }
}

// A device that hangs up during a command ends the run at once: the tool says it was disconnected and
// in which step, and a hang-up is never taken for success, not even at the closing quiet-mode write
// that a quiet device leaves unanswered.
TEST(CliCommands, AHangUpEndsTheRunAtOnceAndIsNeverASuccess) {
    TemporaryFolder folder;
    const std::string file = folder.File("q470r.json");
    {
        CliRig source;  // a quiet device: the file's last write is AT+QM=1
        source.modem.UpdateSettings([](sim::ModemSettings& s) { s.quietMode = true; });
        ASSERT_EQ(source.Run({"save", file}).status, 0);
    }
    struct Case {
        std::vector<std::string> args;
        const char* hangsUpAt;
        bool quiet;
        const char* step;
    };
    const Case cases[] = {
        {{"read"}, "AT+GPIOC?", false, "reading the settings"},
        {{"set", "mode=multi"}, "AT+OPMODE=", false, "applying the general settings"},
        {{"set", "mode=multi"}, "AT+QM=1", true, "applying the general settings"},
        {{"gpio", "5=output:high"}, "AT+QM=1", true, "applying the GPIO settings"},
        {{"apply", file}, "AT+QM=1", true, "applying the configuration file"},
        {{"restart"}, "ATZ", false, "restarting the device"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.args[0]) + " at " + c.hangsUpAt);
        CliRig rig;
        rig.modem.UpdateSettings([&](sim::ModemSettings& s) { s.quietMode = c.quiet; });
        sim::CommandFault hangUp;
        hangUp.hangUp = true;
        rig.modem.SetFault(c.hangsUpAt, hangUp);
        const CliRun run = rig.Run(c.args);
        const auto ended = std::chrono::steady_clock::now();
        EXPECT_EQ(run.status, 1) << run.out;
        EXPECT_TRUE(Contains(run.err, std::string("disconnected while ") + c.step)) << run.err;
        const auto hungUp = rig.modem.HungUpAt();
        ASSERT_TRUE(hungUp);
        EXPECT_LT(ended - *hungUp, 100ms);
    }
}

TEST(CliCommands, SetReportsTheQuietModeTheDeviceHasAfterTheWrite) {
    CliRig rig;
    const CliRun run = rig.Run({"set", "quiet=1", "--json"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(PortRecord(ParseJson(run.out))["device"]["quiet"].GetBool());
    EXPECT_TRUE(PortRecord(ParseJson(run.out))["settings"]["quiet"].GetBool());
    EXPECT_TRUE(rig.modem.Settings().quietMode);
}

}  // namespace
}  // namespace q470::test
