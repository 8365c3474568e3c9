#include "job_rig.h"

#include <gtest/gtest.h>

#include <thread>

namespace q470::test {

namespace {

sim::ModemSettings AtLinkRate(sim::ModemSettings settings) {
    settings.baudRate = kLinkBaudRate;
    return settings;
}

}  // namespace

JobRig::JobRig(sim::ModemSettings settings) : modem(AtLinkRate(std::move(settings))) {
    input.line = ConnectionLine{kLinkBaudRate, 8, 0, 0};
    std::string error;
    if (!modem.Start(&error)) ADD_FAILURE() << "simulated modem: " << error;
    if (const auto ec = host.link.Open(modem.PortPath(), kLinkBaudRate, 8, 0, 0)) ADD_FAILURE() << ec.message();
    worker.StartWorker();
}

JobRig::~JobRig() {
    host.link.Close();
    worker.StopWorker();
}

std::int32_t JobRig::Run(std::int32_t job) {
    const std::size_t before = host.Results().size();
    worker.PushJob(job, input);
    if (!host.WaitForResults(before + 1)) return -1;
    const PostedResult posted = host.Results().back();
    EXPECT_EQ(posted.job, job);
    return posted.result;
}

std::vector<std::string> JobRig::TakeCommands() {
    auto commands = modem.Commands();
    modem.ClearTranscript();
    return commands;
}

GpioSettings NumberedPins() {
    GpioSettings settings;
    for (std::uint8_t pin = 0; pin < settings.pins.size(); ++pin) settings.pins[pin].pin = pin;
    return settings;
}

void RunConcurrently(const std::vector<std::function<void()>>& cases) {
    std::vector<std::thread> threads;
    threads.reserve(cases.size());
    for (const auto& run : cases) threads.emplace_back(run);
    for (auto& thread : threads) thread.join();
}

}  // namespace q470::test
