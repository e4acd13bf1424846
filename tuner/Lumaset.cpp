// The tuner's entry and run flow: the module entry that the runtime calls,
// the version gate, the lookup of deployment.properties through the
// runtime's deployment library, and the one pass in either mode.
#include "Lumaset.h"

#include <cstdio>
#include <exception>
#include <memory>
#include <string>
#include <vector>

#include "JarFileLoader.h"
#include "Runtime.h"
#include "ui/MessageBox.h"

namespace {

// The main object of an interactive run. Its window outlives the entry (the
// host dispatches its messages after the entry has returned), so the module
// keeps it; it goes when the host unloads the module, after the window.
std::unique_ptr<Lumaset> application;

const char kSilentArgument[] = "silent";
const char kWrongVersion[] = "WRONG JAVA VERSION DETECTED";

}  // namespace

void Lumaset::main(const std::vector<std::string> &args) {
    if (getJavaVMVersion() != 6) {
        std::printf("%s\n", kWrongVersion);
        std::fflush(stdout);
        return;
    }
    auto app = std::make_unique<Lumaset>(&lumaset::runtime());
    const bool silent = args.size() == 1 && args[0] == kSilentArgument;
    app->Tune(silent);
    if (app->window()) application = std::move(app);
}

int Lumaset::getJavaVMVersion() {
    std::optional<std::string> version = lumaset::getProperty("java.version");
    if (!version) return 1;
    static const char *const prefixes[] = {"1.1", "1.2", "1.3", "1.4", "1.5", "1.6", "1.7", "1.8", "1.9"};
    for (int i = 0; i < 9; ++i) {
        if (version->compare(0, 3, prefixes[i]) == 0) return i + 1;
    }
    return 1;
}

std::optional<std::string> Lumaset::getJRE6Path() {
    try {
        RuntimeClass *config = JarFileLoader::loadClassFromJAR("deploy.jar", "com.sun.deploy.config.Config");
        const RuntimeApi &api = lumaset::runtime();
        void *method = api.getMethod(config, "getUserHome");
        if (!method) throw lumaset::RuntimeError(lumaset::runtimeLastError());
        auto getUserHome = reinterpret_cast<RuntimeTextMethod>(method);
        // The folder's length is known only after a first call.
        std::vector<char> buffer(260);
        long length = getUserHome(buffer.data(), buffer.size());
        if (length >= 0 && static_cast<size_t>(length) >= buffer.size()) {
            buffer.resize(static_cast<size_t>(length) + 1);
            length = getUserHome(buffer.data(), buffer.size());
        }
        if (length < 0 || static_cast<size_t>(length) >= buffer.size())
            throw lumaset::RuntimeError("com.sun.deploy.config.Config.getUserHome failed");
        return std::string(buffer.data(), static_cast<size_t>(length)) + lumaset::fileSeparator() +
               "deployment.properties";
    } catch (const std::exception &e) {
        ui::printTrace("Lumaset.getJRE6Path", &e);
    } catch (...) {
        ui::printTrace("Lumaset.getJRE6Path", nullptr);
    }
    return std::nullopt;
}

void Lumaset::Tune(bool silent) {
    try {
        if (!m_JREPath) throw lumaset::IoError("the location of deployment.properties is not known");
        // Opened, read and closed before anything is written.
        ParseFile(*m_JREPath);
        if (!silent) {
            ShowUI(GetCheckboxValues());
            return;
        }
        ParamsValues values;
        values.m_bD3D = false;
        values.m_bNoDDraw = true;
        values.m_bForceVram = true;
        EditConf(values);
        {
            ui::HiddenFrame owner;
            if (!owner.get()) throw std::runtime_error("the message box's owner frame cannot be created");
            MessageBox box(owner.get(), "Java settings changed",
                           {"Java plugin settings have been successfully changed"}, MessageBox::OK_BUTTON,
                           MessageBox::ERROR);
            box.show();
        }
        // Does not return: the runtime destroys the thread's windows and
        // unloads the modules; the main object goes with the process.
        lumaset::runtime().exitProcess(0);
    } catch (const std::exception &e) {
        ui::printTrace("Lumaset.Tune", &e);
    } catch (...) {
        ui::printTrace("Lumaset.Tune", nullptr);
    }
}
