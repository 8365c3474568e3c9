#include "raw_command.h"

#include <gtest/gtest.h>

#include <string>

#include "command_catalogue.h"

namespace q470 {
namespace {

TEST(RawCommand, TheCatalogueDecidesWhatCompletesACommand) {
    struct Case {
        const char* text;
        CommandId id;
    };
    const Case cases[] = {
        {"AT", CmdAt},
        {"AT+VER?", CmdVersionQuery},
        {"AT+GPIOC?", CmdGpioConfigQuery},
        {"ATZ", CmdRestart},
        {"AT&F", CmdFactoryReset},
        {"AT+ASSOCCLR", CmdAssocClear},
        {"AT+PANID=5", CmdPanIdSet},
        {"AT+UPANID=5", CmdUserPanIdSet},
        {"AT+QM=1", CmdQuietModeSet},
        {"AT+UART=9600,0,0,8", CmdUartSet},
        {"AT+GPIOC=0001,1,1", CmdGpioConfigSet},
        {"AT+GPIOP=1000,1", CmdGpioPeriodicSet},
        // Unknown to the catalogue: whatever OK or ERROR ends.
        {"AT+FOO", CmdReserved6},
        {"AT+VER", CmdReserved6},
        {"at+ver?", CmdReserved6},
        {"AT+PANID=", CmdReserved6},
        {"AT+VER?X", CmdReserved6},
    };
    for (const auto& c : cases) EXPECT_EQ(CommandIdForText(c.text), c.id) << c.text;
}

// A command added to the catalogue is known to "at" without a further edit, and no row's keyword hides another's.
TEST(RawCommand, EveryCatalogueRowIsFoundByItsOwnText) {
    for (const CommandEntry& entry : kCommandCatalogue) {
        if (entry.text == nullptr) continue;
        std::string text(entry.text);
        text.pop_back();  // the CR
        if (entry.form != CommandForm::Fixed) text = text.substr(0, text.find('=') + 1) + "1";
        EXPECT_EQ(CommandIdForText(text), entry.id) << text;
    }
}

TEST(RawCommand, OnlyPrintableAsciiGoesOut) {
    EXPECT_EQ(CheckCommandText("AT+VER?"), "");
    EXPECT_NE(CheckCommandText(""), "");
    EXPECT_NE(CheckCommandText("AT\r"), "");
    EXPECT_NE(CheckCommandText("AT\nAT"), "");
    EXPECT_NE(CheckCommandText("AT+\xC3\xA9"), "");
    EXPECT_EQ(CheckCommandText(std::string(250, 'A')), "");
    EXPECT_NE(CheckCommandText(std::string(251, 'A')), "");
}

}  // namespace
}  // namespace q470
