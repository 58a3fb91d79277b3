#include "app/BurnRequest.h"

#include "app/CommandLineScanner.h"
#include "app/PlaylistReader.h"

#include <fstream>
#include <iterator>

namespace {

std::string UpperAscii(std::string text) {
    for (char& c : text) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

} // namespace

bool BurnRequest::Parse(const std::string& commandLineTail, StartChecks& checks) {
    if (commandLineTail.empty()) {
        checks.SetBurnResults(BurnResult::NoCommandLine);
        checks.ShowNoCommandLine();
        return true;
    }

    bool checkOnly = false, mediaQuery = false, endAfterParse = false;
    CommandLineScanner scanner(commandLineTail);
    for (CommandToken token = scanner.Next(); token.kind != EndToken; token = scanner.Next()) {
        if (token.kind == NameToken) {
            playlistPath = token.text;
            continue;
        }
        if (token.kind != FlagToken) continue;
        const std::string flag = UpperAscii(token.text);
        if (flag == "B") {
            burnAtOnce = true;
        } else if (flag == "C") {
            checkOnly = true;
        } else if (flag == "E") {
            eraseFirst = true;
        } else if (flag == "S") {
            silent = true;
        } else if (flag == "T") {
            mediaQuery = true;
        } else if (flag == "U") {
            endAfterParse = true;
        } else {
            checks.ReportUnknownFlag(std::string("Unknown command-line flag '") + token.prefix + token.text + "'");
        }
    }

    const bool pathOptional = (checkOnly || eraseFirst || mediaQuery || endAfterParse) && !burnAtOnce;
    if (!pathOptional && playlistPath.empty()) {
        checks.SetBurnResults(BurnResult::NoCommandLine);
        checks.ShowNoCommandLine();
        return true;
    }
    eraseOnly = eraseFirst && playlistPath.empty();
    if (endAfterParse) return true;

    const std::int32_t engine = checks.EngineCheck(checkOnly || silent);
    if (engine != 0 && !checkOnly && !silent) return true;
    if (mediaQuery) {
        checks.MediaQuery();
        return true;
    }
    return checkOnly;
}

bool BurnRequest::ReadPlaylist(const std::string& path) {
    std::ifstream in(path, std::ios::in | std::ios::binary);
    if (!in) return true;
    const std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    Playlist playlist = PlaylistReader::Read(path, content);
    tracks.insert(tracks.end(), std::make_move_iterator(playlist.tracks.begin()),
                  std::make_move_iterator(playlist.tracks.end()));
    discTitle = std::move(playlist.title);
    discPerformer = std::move(playlist.performer);
    discTextUtf8 = playlist.utf8;
    album = playlist.album;
    discCatalog = std::move(playlist.catalog);
    discSongwriter = std::move(playlist.songwriter);
    playlistRefusal = std::move(playlist.refusal);
    return true;
}
