#include "FennelRun.h"
#include "lib/Certificate/CertificateMaker.h"
#include "lib/Certificate/SigningKey.h"
#include "lib/Certificate/SystemRandom.h"

#include <fstream>
#include <iterator>

namespace fenneltest {

using namespace testsupport;

const char kInternational[] = "Control Panel\\International";

std::string FennelExe() { return SelfFolder() + "\\fennel.exe"; }

const std::string& ShippedArea() {
    static const std::string area = ConfiguredArea(SelfFolder() + "\\Fennel.qcf");
    return area;
}

std::string InstallFennel(const std::string& folder, const std::string& exeName,
                          const std::vector<std::string>& files) {
    const std::string exe = folder + "\\" + exeName;
    if (!CopyFileA(FennelExe().c_str(), exe.c_str(), FALSE)) return std::string();
    for (const std::string& file : files) {
        const std::string from = SelfFolder() + "\\" + file;
        if (!CopyFileA(from.c_str(), (folder + "\\" + file).c_str(), FALSE)) return std::string();
    }
    return exe;
}

std::string SignedConfiguration(const std::vector<std::pair<std::string, std::string>>& fields) {
    std::ifstream in(WindowsPath(std::string(FENNEL_SOURCE_DIR) + "/config/Fennel.txt"), std::ios::binary);
    std::string text(std::istreambuf_iterator<char>(in), {});
    for (const auto& [name, value] : fields) {
        const std::size_t start = text.find("\n" + name + " ");
        if (start == std::string::npos) return std::string();
        text.replace(start + 1, text.find('\n', start + 1) - start - 1, name + " = " + value + "\r");
    }
    SystemRandom random;
    return CertificateMaker::Make(text, SigningKey::Load(WindowsPath(FENNEL_SIGNING_KEY_FILE)), random);
}

Outcome RunFennel(const std::string& exe, const std::string& arguments, const std::string& workingFolder,
                  const std::vector<int>& answers) {
    return RunAtOnce(Quoted(exe) + (arguments.empty() ? "" : " " + arguments), workingFolder, 1, answers).front();
}

std::vector<Outcome> RunAtOnce(const std::string& commandLine, const std::string& workingFolder, int count,
                               const std::vector<int>& answers, DWORD timeoutMs) {
    const auto outputFile = [&](std::size_t i) { return workingFolder + "\\fennel-output-" + std::to_string(i) + ".txt"; };
    std::vector<ChildProcess> children;
    children.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) children.emplace_back(commandLine, workingFolder, outputFile(children.size()));
    std::vector<Outcome> outcomes(children.size());
    std::vector<HWND> seen(children.size(), nullptr);
    const ULONGLONG start = GetTickCount64();
    for (bool running = true; running && GetTickCount64() - start < timeoutMs; Sleep(20)) {
        running = false;
        for (std::size_t i = 0; i < children.size(); ++i) {
            if (!children[i].Running()) continue;
            running = true;
            HWND box = FindMessageBox(children[i].Id());
            if (!box) continue;
            if (box != seen[i]) {
                MessageBoxTexts texts = ReadMessageBox(box);
                if (texts.text.empty() || texts.buttons.empty()) continue; // still filling in its controls
                outcomes[i].boxes.push_back(std::move(texts));
                seen[i] = box;
            }
            // Again on later passes while the box is still there.
            const std::size_t index = outcomes[i].boxes.size() - 1;
            AnswerMessageBox(children[i].Id(), index < answers.size() ? answers[index] : IDCANCEL, 0);
        }
    }
    for (std::size_t i = 0; i < children.size(); ++i) {
        ChildProcess& child = children[i];
        if (!child.Started()) {
            outcomes[i].exit = "not started, error " + std::to_string(child.Error());
        } else if (child.Running()) {
            child.Kill();
            outcomes[i].exit = "killed: still running";
        } else {
            outcomes[i].exit = std::to_string(static_cast<long>(child.ExitCode()));
        }
        std::ifstream in(outputFile(i), std::ios::binary);
        outcomes[i].output.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        in.close();
        DeleteFileA(outputFile(i).c_str());
    }
    return outcomes;
}

UserLocale::UserLocale(const std::string& locale) : saved_(ReadString(kInternational, "Locale")) {
    set_ = WriteString(kInternational, "Locale", locale);
}

UserLocale::~UserLocale() {
    if (saved_) {
        WriteString(kInternational, "Locale", *saved_);
    } else {
        DeleteValue(kInternational, "Locale");
    }
}

} // namespace fenneltest
