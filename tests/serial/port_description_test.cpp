#include "port_description.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "enumerate_serial_ports.h"

namespace q470 {
namespace {

namespace fs = std::filesystem;

TEST(PortDescription, OneLineForPeople) {
    struct Case {
        PortDescription description;
        const char* text;
    };
    const Case cases[] = {
        {{}, ""},
        {{"FTDI", "FT232R USB UART", "0403", "6001", "A10K3X8Q", "ftdi_sio", "/dev/serial/by-id/usb-FTDI_x", "",
          "/dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0", 16},
         "FTDI FT232R USB UART (0403:6001), serial A10K3X8Q, driver ftdi_sio, latency timer 16 ms, "
         "/dev/serial/by-id/usb-FTDI_x, /dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0"},
        // The product name that repeats the vendor's is not doubled.
        {{"Prolific", "Prolific USB-Serial Controller", "067b", "2303", "", "pl2303", "", "", "", {}},
         "Prolific USB-Serial Controller (067b:2303), driver pl2303"},
        // Identical adapters without a serial number: only the socket tells them apart.
        {{"QinHeng Electronics",
          "CH340 serial converter",
          "1a86",
          "7523",
          "",
          "ch341",
          "",
          "",
          "/dev/serial/by-path/pci-0000:00:14.0-usb-0:3:1.0-port0",
          {}},
         "QinHeng Electronics CH340 serial converter (1a86:7523), driver ch341, "
         "/dev/serial/by-path/pci-0000:00:14.0-usb-0:3:1.0-port0"},
        {{"", "", "", "", "", "serial", "", "", "", {}}, "driver serial"},
        {{"FTDI", "", "0403", "6001", "", "FTDIBUS", "", "USB Serial Port (COM3)", "", 2},
         "USB Serial Port (COM3) (0403:6001), driver FTDIBUS, latency timer 2 ms"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(DescriptionText(c.description), c.text);
        EXPECT_EQ(c.description.Empty(), std::string(c.text).empty());
    }
}

#ifndef _WIN32

// A USB adapter as sysfs shows it: the tty's device is a port of a USB interface of a USB device that
// carries the names and ids; the by-id folder links to the device node.
class FakeAdapter : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/q470-adapter-XXXXXX";
        root_ = ::mkdtemp(pattern);
        const fs::path usb = root_ / "devices/pci0000:00/usb1/1-1";
        const fs::path port = usb / "1-1:1.0/ttyUSB0";
        fs::create_directories(port);
        fs::create_directories(root_ / "bus/usb-serial/drivers/ftdi_sio");
        fs::create_symlink(root_ / "bus/usb-serial/drivers/ftdi_sio", port / "driver");
        Write(usb / "idVendor", "0403\n");
        Write(usb / "idProduct", "6001\n");
        Write(usb / "manufacturer", "FTDI\n");
        Write(usb / "product", "FT232R USB UART\n");
        Write(usb / "serial", "A10K3X8Q\n");
        fs::create_directories(root_ / "class/tty/ttyUSB0");
        fs::create_symlink(port, root_ / "class/tty/ttyUSB0/device");
        Write(port / "latency_timer", "16\n");
        fs::create_directories(root_ / "dev/serial/by-id");
        fs::create_directories(root_ / "dev/serial/by-path");
        Write(root_ / "dev/ttyUSB0", "");
        fs::create_symlink("../../ttyUSB0", root_ / "dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3X8Q-if00-port0");
        fs::create_symlink("../../ttyUSB0", root_ / "dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0");
    }
    void TearDown() override { fs::remove_all(root_); }

    static void Write(const fs::path& path, const std::string& text) { std::ofstream(path) << text; }
    std::string Path(const std::string& relative) const { return (root_ / relative).string(); }

    fs::path root_;
};

TEST_F(FakeAdapter, TheSysfsWalkFindsNamesIdsDriverLatencyAndStableNames) {
    const PortDescription d = DescribeFromSysfs(Path("dev/ttyUSB0"), Path("class/tty"), Path("dev/serial"));
    EXPECT_EQ(d.vendor, "FTDI");
    EXPECT_EQ(d.product, "FT232R USB UART");
    EXPECT_EQ(d.vendorId, "0403");
    EXPECT_EQ(d.productId, "6001");
    EXPECT_EQ(d.serialNumber, "A10K3X8Q");
    EXPECT_EQ(d.driver, "ftdi_sio");
    EXPECT_EQ(d.latencyTimerMs, 16);
    EXPECT_EQ(d.stableName, Path("dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A10K3X8Q-if00-port0"));
    EXPECT_EQ(d.byPathName, Path("dev/serial/by-path/pci-0000:00:14.0-usb-0:2:1.0-port0"));

    // Either stable name given as the port leads to the same adapter, with both its names.
    for (const auto& name : {d.stableName, d.byPathName}) {
        const PortDescription viaLink = DescribeFromSysfs(name, Path("class/tty"), Path("dev/serial"));
        EXPECT_EQ(viaLink.stableName, d.stableName) << name;
        EXPECT_EQ(viaLink.byPathName, d.byPathName) << name;
        EXPECT_EQ(viaLink.serialNumber, d.serialNumber) << name;
    }

    // A port sysfs does not know, and folders that are not there, describe nothing.
    EXPECT_TRUE(DescribeFromSysfs(Path("dev/ttyACM7"), Path("class/tty"), Path("dev/serial")).Empty());
    EXPECT_TRUE(DescribeFromSysfs(Path("dev/ttyUSB0"), Path("none"), Path("none")).Empty());
}

// The latency timer is shown only as the number of ms the driver has; anything else is left out.
TEST_F(FakeAdapter, ALatencyTimerThatIsNoNumberIsLeftOut) {
    const fs::path file = root_ / "devices/pci0000:00/usb1/1-1/1-1:1.0/ttyUSB0/latency_timer";
    for (const char* text : {"", "fast\n", "-1\n", "256\n", "99999999999999999999\n"}) {
        Write(file, text);
        EXPECT_FALSE(DescribeFromSysfs(Path("dev/ttyUSB0"), Path("class/tty"), Path("dev/serial")).latencyTimerMs)
            << text;
    }
    fs::remove(file);
    EXPECT_FALSE(DescribeFromSysfs(Path("dev/ttyUSB0"), Path("class/tty"), Path("dev/serial")).latencyTimerMs);
}

// A pseudo-terminal (the simulated modem's port) has nothing behind it; every listed port gets a
// description without the list changing.
TEST(PortDescription, ThisMachinesPorts) {
    EXPECT_TRUE(DescribeSerialPort("/dev/ptmx").Empty());
    EXPECT_TRUE(DescribeSerialPort("/dev/q470-no-such-port").Empty());
    std::vector<SerialPortEntry> ports;
    ASSERT_FALSE(EnumerateSerialPorts(ports));
    for (const auto& port : ports) DescriptionText(DescribeSerialPort(port.portName));
}

#endif

}  // namespace
}  // namespace q470
