#include "platform/outside/cddb/options_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/runtime/ini.h"
#include "platform/runtime/paths.h"

namespace qv::cddb {

namespace {

constexpr const char* kIniName = "cddb.ini";
constexpr const char* kPasswordName = "cddb-proxy.secret";

rt::IniFile store()
{
    return rt::IniFile::named(kIniName);
}

[[noreturn]] void notSaved(const std::string& path, const std::string& reason)
{
    throw ComError(hr::kFail, "The disc database options could not be saved in " + path + ": " + reason + ".");
}

std::string readPassword()
{
    const int fd = ::open(proxyPasswordPath().c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return {};
    // A file someone else could read no longer guards the password: close it.
    struct stat st;
    if (::fstat(fd, &st) == 0 && (st.st_mode & 077))
        ::fchmod(fd, 0600);
    std::string text;
    char buffer[512];
    ssize_t n;
    while (text.size() < 4096 && (n = ::read(fd, buffer, sizeof buffer)) > 0)
        text.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return text;
}

// Written to a new file that is the user's alone from its creation, then
// renamed over the old one, so no reader ever sees half a password.
void writePassword(const std::string& password)
{
    const std::string path = proxyPasswordPath();
    if (password.empty()) {
        if (::unlink(path.c_str()) != 0 && errno != ENOENT)
            notSaved(path, std::strerror(errno));
        return;
    }
    std::error_code ec;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ec);
    std::string temp = path + ".XXXXXX";
    const int fd = ::mkstemp(temp.data()); // mode 0600
    if (fd < 0)
        notSaved(path, std::strerror(errno));
    const auto failed = [&](int error) {
        ::close(fd);
        ::unlink(temp.c_str());
        notSaved(path, std::strerror(error));
    };
    if (::fchmod(fd, 0600) != 0)
        failed(errno);
    for (std::size_t done = 0; done < password.size();) {
        const ssize_t n = ::write(fd, password.data() + done, password.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            failed(n < 0 ? errno : EIO);
        done += static_cast<std::size_t>(n);
    }
    if (::fsync(fd) != 0)
        failed(errno);
    ::close(fd);
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        const int error = errno;
        ::unlink(temp.c_str());
        notSaved(path, std::strerror(error));
    }
}

void set(rt::IniFile& ini, const char* section, const char* key, const std::string& value)
{
    if (!ini.set(section, key, value))
        notSaved(ini.path(), std::string("the value of ") + key + " cannot be kept there");
}

} // namespace

Options defaultOptions()
{
    Options options;
    options.serverUrl = "http://gnudb.gnudb.org/~cddb/cddb.cgi";
    options.submitUrl = "http://gnudb.gnudb.org/~cddb/submit.cgi";
    return options;
}

std::string optionsFilePath()
{
    return store().path();
}

std::string proxyPasswordPath()
{
    return rt::joinPath(rt::configFolder(), kPasswordName);
}

Options loadOptions()
{
    const auto ini = store();
    Options options = defaultOptions();
    options.serverUrl = ini.get("Server", "Url", options.serverUrl);
    options.submitUrl = ini.get("Server", "SubmitUrl", options.submitUrl);
    options.testSubmissions = ini.get("Server", "SubmitMode", "test") != "submit";
    options.connectTimeoutSeconds
        = static_cast<int>(ini.getInt("Server", "ConnectTimeout", options.connectTimeoutSeconds));
    options.transferTimeoutSeconds
        = static_cast<int>(ini.getInt("Server", "TransferTimeout", options.transferTimeoutSeconds));
    options.proxyHost = ini.get("Proxy", "Host");
    options.proxyPort = static_cast<int>(ini.getInt("Proxy", "Port", 0));
    options.proxyUser = ini.get("Proxy", "User");
    options.proxyPassword = readPassword();
    options.email = ini.get("User", "Email");
    options.dataFolder = ini.get("Options", "DataFolder");
    options.valueA = static_cast<int>(ini.getInt("Options", "ValueA", 0));
    options.valueB = static_cast<int>(ini.getInt("Options", "ValueB", 0));
    options.valueC = static_cast<int>(ini.getInt("Options", "ValueC", 0));
    return options;
}

void saveOptions(const Options& options)
{
    auto ini = store();
    set(ini, "Server", "Url", options.serverUrl);
    set(ini, "Server", "SubmitUrl", options.submitUrl);
    set(ini, "Server", "SubmitMode", options.testSubmissions ? "test" : "submit");
    set(ini, "Server", "ConnectTimeout", std::to_string(options.connectTimeoutSeconds));
    set(ini, "Server", "TransferTimeout", std::to_string(options.transferTimeoutSeconds));
    set(ini, "Proxy", "Host", options.proxyHost);
    set(ini, "Proxy", "Port", std::to_string(options.proxyPort));
    set(ini, "Proxy", "User", options.proxyUser);
    set(ini, "User", "Email", options.email);
    set(ini, "Options", "DataFolder", options.dataFolder);
    set(ini, "Options", "ValueA", std::to_string(options.valueA));
    set(ini, "Options", "ValueB", std::to_string(options.valueB));
    set(ini, "Options", "ValueC", std::to_string(options.valueC));
    writePassword(options.proxyPassword);
}

std::optional<ServiceUser> loadServiceUser()
{
    const auto ini = store();
    ServiceUser user{ini.get("User", "Name"), ini.get("User", "Email")};
    if (user.name.empty() && user.email.empty())
        return std::nullopt;
    return user;
}

void saveServiceUser(const ServiceUser& user)
{
    auto ini = store();
    set(ini, "User", "Name", user.name);
    set(ini, "User", "Email", user.email);
}

} // namespace qv::cddb
