#pragma once
// A generated collection kept between runs: one folder per benchmark and
// size under $QV_BENCH_DIR (else /tmp), opened as the program opens its own.

#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>

#include "qvls/dictionary/access.h"
#include "qvls/subsystems.h"

namespace qv::bench {

inline std::filesystem::path openBenchCollection(std::string_view name, long songs, long artists)
{
    const char* base = std::getenv("QV_BENCH_DIR");
    const std::filesystem::path folder = std::filesystem::path(base ? base : "/tmp")
        / ("qv-" + std::string(name) + "-bench-" + std::to_string(songs) + "-" + std::to_string(artists));
    std::filesystem::create_directories(folder);
    std::filesystem::current_path(folder); // the collection folder is the current folder
    qvls::registerSubsystems();
    qvls::dictionary::InitDictionary();
    qvls::dictionary::useCollectionFolder(folder.string());
    return folder;
}

} // namespace qv::bench
