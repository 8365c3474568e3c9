#include "simulated_fixture.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

namespace q470::sim {
namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

// Two locks: `change` is held while a unit is plugged in or taken out (which starts or stops its
// modem); `mutex` guards the state, and is all the unit's serving thread takes when it reports an
// event. So a modem is always stopped with `mutex` free: its thread may be reporting just then.
struct SimulatedFixture::Impl {
    explicit Impl(FixturePlan fixturePlan) : plan(std::move(fixturePlan)) {}

    void Run();
    bool Plug(std::string* error);
    bool Unplug();
    void OnLine(std::size_t ofGeneration, LineEvent event, Clock::time_point at);

    const FixturePlan plan;
    std::mutex change;
    mutable std::mutex mutex;
    mutable std::condition_variable changed;
    std::unique_ptr<SimulatedModem> unit;  // written under both locks
    std::size_t generation = 0;            // moves on with every plug and unplug: a gone unit's events are dropped
    std::size_t next = 0;                  // the plan's next unit
    std::vector<FixtureVisit> visits;
    std::size_t unplugged = 0;
    bool stopping = false;
    bool unitGone = false;   // the unit hung up for good: it is to be taken out
    bool restarted = false;  // the unit has restarted since it was plugged in
    bool away = false;       // ... and is off the bus now
    Clock::time_point lastActivity;
    Clock::time_point emptySince;
    std::thread thread;
};

void SimulatedFixture::Impl::Run() {
    std::unique_lock<std::mutex> lock(mutex);
    while (!stopping) {
        const auto now = Clock::now();
        std::optional<Clock::time_point> due;
        bool act = false;
        if (unitGone) {
            act = true;
        } else if (!unit && plan.plugAfter && next < plan.units.size()) {
            due = emptySince + *plan.plugAfter;
        } else if (unit && plan.unplugAfterRestart && restarted && !away) {
            due = lastActivity + *plan.unplugAfterRestart;
        }
        if (due && now >= *due) act = true;
        if (!act) {
            if (due) {
                changed.wait_until(lock, *due);
            } else {
                changed.wait(lock);
            }
            continue;
        }
        const bool plug = !unit && !unitGone;
        lock.unlock();
        if (plug && !Plug(nullptr)) {
            // A unit that cannot start (no pseudo-terminal left) is passed over, not retried at once.
            std::lock_guard<std::mutex> relock(mutex);
            emptySince = Clock::now();
        } else if (!plug) {
            Unplug();
        }
        lock.lock();
    }
}

bool SimulatedFixture::Impl::Plug(std::string* error) {
    std::lock_guard<std::mutex> changing(change);
    std::size_t index = 0;
    std::size_t ofGeneration = 0;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (unit || stopping || next >= plan.units.size()) {
            if (error) *error = unit ? "a unit is in the fixture" : "no unit is left";
            return false;
        }
        index = next++;
        ofGeneration = ++generation;
        visits.push_back({index, plan.units[index].settings.extendedAddress, {}, Clock::now(), {}, {}, {}});
        // Its events may come before Start returns.
        unitGone = restarted = away = false;
        lastActivity = Clock::now();
    }
    const FixtureUnit& planned = plan.units[index];
    auto modem = std::make_unique<SimulatedModem>(planned.settings);
    if (planned.prepare) planned.prepare(*modem);
    modem->SetLinks(plan.link, modem->KernelLink());
    modem->SetLineObserver(
        [this, ofGeneration](LineEvent event, Clock::time_point at) { OnLine(ofGeneration, event, at); });
    const bool started = modem->Start(error);
    std::lock_guard<std::mutex> lock(mutex);
    if (!started) {
        visits.pop_back();
        return false;
    }
    visits.back().port = modem->PortPath();
    unit = std::move(modem);
    changed.notify_all();
    return true;
}

bool SimulatedFixture::Impl::Unplug() {
    std::lock_guard<std::mutex> changing(change);
    std::unique_ptr<SimulatedModem> leaving;
    {
        std::lock_guard<std::mutex> lock(mutex);
        if (!unit) return false;
        leaving = std::move(unit);
        ++generation;
    }
    std::vector<std::string> commands = leaving->Commands();
    leaving.reset();  // stops it; its links go
    std::lock_guard<std::mutex> lock(mutex);
    visits.back().commands = std::move(commands);
    visits.back().unpluggedAt = Clock::now();
    ++unplugged;
    unitGone = false;
    emptySince = Clock::now();
    changed.notify_all();
    return true;
}

void SimulatedFixture::Impl::OnLine(std::size_t ofGeneration, LineEvent event, Clock::time_point at) {
    std::lock_guard<std::mutex> lock(mutex);
    if (ofGeneration != generation) return;
    switch (event) {
        case LineEvent::FirstByte:
            if (!visits.back().firstByteAt) visits.back().firstByteAt = at;
            return;
        case LineEvent::Command:
            lastActivity = at;
            return;
        case LineEvent::Restart:
            restarted = true;
            lastActivity = at;
            break;
        case LineEvent::Away:
            away = true;
            break;
        case LineEvent::Back:
            away = false;
            lastActivity = at;
            break;
        case LineEvent::Gone:
            unitGone = true;
            break;
    }
    changed.notify_all();
}

SimulatedFixture::SimulatedFixture(FixturePlan plan) : impl_(std::make_unique<Impl>(std::move(plan))) {}

SimulatedFixture::~SimulatedFixture() {
    Stop();
}

bool SimulatedFixture::Start(std::string* error) {
    Impl& f = *impl_;
    if (f.thread.joinable()) {
        if (error) *error = "the fixture " + f.plan.link + " is running already";
        return false;
    }
    {
        std::lock_guard<std::mutex> lock(f.mutex);
        f.stopping = false;
        f.emptySince = Clock::now();
    }
    try {
        f.thread = std::thread([&f] { f.Run(); });
    } catch (const std::system_error& e) {
        if (error) *error = std::string("cannot start the fixture's thread: ") + e.what();
        return false;
    }
    return true;
}

void SimulatedFixture::Stop() {
    Impl& f = *impl_;
    {
        std::lock_guard<std::mutex> lock(f.mutex);
        f.stopping = true;
    }
    f.changed.notify_all();
    if (f.thread.joinable()) f.thread.join();
    f.Unplug();
}

bool SimulatedFixture::Plug(std::string* error) {
    return impl_->Plug(error);
}

bool SimulatedFixture::Unplug() {
    return impl_->Unplug();
}

const std::string& SimulatedFixture::Link() const {
    return impl_->plan.link;
}

bool SimulatedFixture::UnitPresent() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->unit != nullptr;
}

std::size_t SimulatedFixture::UnitsLeft() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->plan.units.size() - impl_->next;
}

std::vector<FixtureVisit> SimulatedFixture::Visits() const {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    return impl_->visits;
}

bool SimulatedFixture::WaitForUnplugged(std::size_t count, std::chrono::milliseconds timeout) const {
    std::unique_lock<std::mutex> lock(impl_->mutex);
    return impl_->changed.wait_for(lock, timeout, [&] { return impl_->unplugged >= count; });
}

bool SimulatedFixture::WithUnit(const std::function<void(SimulatedModem&)>& use) {
    std::lock_guard<std::mutex> changing(impl_->change);
    if (!impl_->unit) return false;
    use(*impl_->unit);
    return true;
}

}  // namespace q470::sim
