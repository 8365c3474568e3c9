#include "port_links.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <system_error>

namespace q470::sim {
namespace {

std::string ReadLink(const std::string& link) {
    std::error_code error;
    const auto target = std::filesystem::read_symlink(link, error);
    return error ? std::string() : target.string();
}

bool TakenByOther(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 && !S_ISLNK(status.st_mode);
}

std::string SystemMessage(int number) {
    return std::error_code(number, std::system_category()).message();
}

}  // namespace

void PortLinks::SetNames(std::string stable, std::string kernel) {
    Remove();
    stable_ = std::move(stable);
    kernel_ = std::move(kernel);
}

bool PortLinks::Make(const std::string& target, std::string* error) {
    Remove();
    target_ = target;
    for (const std::string* link : {&kernel_, &stable_}) {
        if (!link->empty() && !MakeOne(*link, target, error)) {
            Remove();
            return false;
        }
    }
    return true;
}

// A link made beside the name and renamed over it: a watcher never sees the name lead nowhere.
bool PortLinks::MakeOne(const std::string& link, const std::string& target, std::string* error) {
    const auto fail = [&](const std::string& why) {
        if (error) *error = "cannot make the link " + link + ": " + why;
        return false;
    };
    if (TakenByOther(link)) return fail("the name is taken by something that is not a link");
    std::error_code made;
    const auto folder = std::filesystem::path(link).parent_path();
    if (!folder.empty()) std::filesystem::create_directories(folder, made);
    if (made) return fail(made.message());
    const std::string fresh = link + ".q470-new-" + std::to_string(::getpid());
    ::unlink(fresh.c_str());
    if (::symlink(target.c_str(), fresh.c_str()) != 0) return fail(SystemMessage(errno));
    if (::rename(fresh.c_str(), link.c_str()) != 0) {
        const int why = errno;
        ::unlink(fresh.c_str());
        return fail(SystemMessage(why));
    }
    return true;
}

void PortLinks::Remove() {
    if (target_.empty()) return;
    for (const std::string* link : {&stable_, &kernel_}) {
        if (!link->empty() && ReadLink(*link) == target_) ::unlink(link->c_str());
    }
    target_.clear();
}

void PortLinks::NextKernelName() {
    if (kernel_.empty()) return;
    std::size_t digits = kernel_.size();
    while (digits > 0 && kernel_[digits - 1] >= '0' && kernel_[digits - 1] <= '9') --digits;
    const std::string number = kernel_.substr(digits);
    const unsigned long next = number.empty() || number.size() > 9 ? 1 : std::stoul(number) + 1;
    kernel_ = kernel_.substr(0, digits) + std::to_string(next);
}

}  // namespace q470::sim
