#pragma once
// The language-file configuration and the shared string store's start-up: where language
// files lie, which languages exist, which one the user gets, and the store that holds the
// chosen language's strings (created and filled by the first process, opened by the rest).
// The configuration is process-wide and guarded; the other functions may run on any thread.
#include "support/ContextException.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <string_view>

class LanguageFile;
class LanguageStore;
class SharedMemory;

namespace LangStrings {

struct base_exception : ContextException {
    using ContextException::ContextException;
};
FENNEL_EXCEPTION(filesize_failure, base_exception);
FENNEL_EXCEPTION(language_not_found, base_exception);
FENNEL_EXCEPTION(section_not_found, base_exception);

// True once ConfigureLanguageFiles has run.
bool Initialized();

// Fixed section and key names.
inline constexpr char kSharedSection[] = "SHARED";
inline constexpr char kMsgBoxOk[] = "MSGBOX_OK";
inline constexpr char kMsgBoxCancel[] = "MSGBOX_CANCEL";
inline constexpr char kMsgBoxAbort[] = "MSGBOX_ABORT";
inline constexpr char kMsgBoxRetry[] = "MSGBOX_RETRY";
inline constexpr char kMsgBoxIgnore[] = "MSGBOX_IGNORE";
inline constexpr char kMsgBoxYes[] = "MSGBOX_YES";
inline constexpr char kMsgBoxNo[] = "MSGBOX_NO";
inline constexpr char kMsgBoxHelp[] = "MSGBOX_HELP";
inline constexpr char kNoOsLanguageSupport[] = "NO_OS_LANGUAGE_SUPPORT";

} // namespace LangStrings

// Whose interface language is asked for.
enum uilanguage_context : int { kCurrentUser = 0, kDefaultUser = 1 };

// Stores folder, file-name prefix and extension and marks the configuration made; the
// first call of the process also keeps every matching file of the language folder and the
// executable's folder open until the process ends.
void ConfigureLanguageFiles(const std::string& folder, const std::string& prefix,
                            const std::string& extension);

// The user's interface language from the registry; 0 when it cannot be read.
std::uint16_t GetUserUILanguage(uilanguage_context context);
// A code page of the system for that context; 0 when none.
std::uint32_t GetOSCodepage(uilanguage_context context);

// The language of a file name such as "FN1036.lng": the digits after the prefix, followed
// by "." and the extension (prefix and extension compared in upper case). 0 when the name
// does not have that form, is shorter than the prefix, or the number is 0 or above 0xFFFF.
std::uint16_t LanguageOfFileName(std::string_view name, std::string_view prefix,
                                 std::string_view extension);
// Languages with a file in the language folder or the executable's folder, ascending.
std::set<std::uint16_t> ListLanguageFiles();
// The language to load: requested exactly, else the last one of the same primary language;
// then the same for the user's language; else the smallest available; 0 when none.
std::uint16_t ChooseLanguage(std::uint16_t requested, const std::set<std::uint16_t>& available);
std::uint16_t ChooseLanguage(std::uint16_t requested, const std::set<std::uint16_t>& available,
                             std::uint16_t userLanguage);

// The path of the language's file (language folder, current folder, executable's folder)
// and its size. Throws LangStrings::language_not_found, LangStrings::filesize_failure.
std::string GetLanguageFilePath(std::uint16_t language, std::uint64_t& fileSize);
// The mapping name of a language file's store: the path with every '\' replaced by '_'.
std::string StoreMappingName(const std::string& path);

// Opens the language's store, creating and filling it when no process has yet. A store
// that another process is still filling is read only after that process has finished.
// Failures are shown once in a message box and thrown on.
std::shared_ptr<LanguageStore> LoadLanguageFile(std::uint16_t language);
// Fills a new store from the language file at path, under the store's Mutex.
void LoadLangFile(std::uint16_t language, SharedMemory& memory, std::size_t size,
                  const std::string& path);
// Fills a zeroed store view of size bytes from an open language file: the header (language
// and code page), the section table, the names and the string records. Throws the parser's
// and scanners' failures; the store then holds what was written before.
void FillLanguageStore(unsigned char* view, std::size_t size, std::uint16_t language,
                       std::uint32_t codePage, LanguageFile& file);

// Where LoadLanguageFile reports a failure before throwing it on (a system message box
// unless replaced, for example by a test). Pass nothing to restore the message box.
void SetLoadFailureReporter(std::function<void(const std::string& text)> reporter);
