// Plays X-Plane for the shipped win.xpl under Wine: loads the module beside the stand-in
// XPLM_64.dll (the virtual simulator), drives its five entry points as the simulator does and
// checks what the simulator sees. Prints each failure; the exit code is the failure count.
//   plugin_host <path of win.xpl>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "vsim/vsim.h"

namespace {

constexpr char kName[] = "XVarlenSkydeck.1.2.6.0";
constexpr char kDescription[] = "X-Plane 10 Plugin For Varlen Skydeck V1.2.6.0";
// Distinct paths the registry resolves at start.
constexpr size_t kCommandPaths = 159;
constexpr size_t kDataRefPaths = 72;

int g_failures = 0;

void Check(bool ok, const char* what) {
    if (!ok) {
        std::printf("FAIL: %s\n", what);
        ++g_failures;
    }
}

struct Plugin {
    HMODULE module = nullptr;
    int (*start)(char*, char*, char*) = nullptr;
    void (*stop)() = nullptr;
    int (*enable)() = nullptr;
    void (*disable)() = nullptr;
    void (*receiveMessage)(int, int, void*) = nullptr;
};

template <class Fn>
bool Resolve(HMODULE module, const char* name, Fn& fn) {
    FARPROC address = ::GetProcAddress(module, name);
    if (address == nullptr) {
        std::printf("FAIL: win.xpl does not export %s\n", name);
        ++g_failures;
        return false;
    }
    fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(address));
    return true;
}

std::set<std::string> DistinctPaths(int count, int (*get)(int, char*, int)) {
    std::set<std::string> paths;
    char buffer[512];
    for (int i = 0; i < count; ++i) {
        if (get(i, buffer, sizeof(buffer)) >= 0) {
            paths.insert(buffer);
        }
    }
    return paths;
}

// The simulator's buffers: 256 bytes pre-filled so a missing terminator shows.
struct IdentityBuffers {
    char name[256];
    char signature[256];
    char description[256];
    IdentityBuffers() {
        std::memset(name, 'x', sizeof(name));
        std::memset(signature, 'x', sizeof(signature));
        std::memset(description, 'x', sizeof(description));
    }
};

bool HoldsText(const char* buffer, const char* text) {
    return std::memcmp(buffer, text, std::strlen(text) + 1) == 0;
}

bool FramesReturn(float expected, int frames) {
    for (int i = 0; i < frames; ++i) {
        if (VsimRunFrames(1) != expected) {
            return false;
        }
    }
    return true;
}

void CheckOneFlightLoop(const char* when) {
    char text[128];
    std::snprintf(text, sizeof(text), "one flight loop registered %s", when);
    Check(VsimFlightLoopCount() == 1, text);
    float interval = 0.0f;
    void* refcon = &interval;
    std::snprintf(text, sizeof(text), "flight loop interval -1.0 and null refcon %s", when);
    Check(VsimFlightLoopInfo(0, &interval, &refcon) == 1 && interval == -1.0f && refcon == nullptr,
          text);
}

void CheckStartAndLookUps(const Plugin& plugin) {
    IdentityBuffers buffers;
    Check(plugin.start(buffers.name, buffers.signature, buffers.description) == 1,
          "XPluginStart returns 1");
    Check(HoldsText(buffers.name, kName), "name");
    Check(HoldsText(buffers.signature, kName), "signature");
    Check(HoldsText(buffers.description, kDescription), "description");

    const size_t commands = DistinctPaths(VsimLookedUpCommandCount(), VsimLookedUpCommand).size();
    const size_t dataRefs = DistinctPaths(VsimLookedUpDataRefCount(), VsimLookedUpDataRef).size();
    if (commands != kCommandPaths || dataRefs != kDataRefPaths) {
        std::printf("FAIL: %zu command and %zu dataref paths looked up, expected %zu and %zu\n",
                    commands, dataRefs, kCommandPaths, kDataRefPaths);
        ++g_failures;
    }
    CheckOneFlightLoop("after XPluginStart");
}

void CheckFrames(const Plugin& plugin) {
    Check(FramesReturn(-1.0f, 3), "the flight loop returns -1.0 before XPluginEnable");
    Check(plugin.enable() == 1, "XPluginEnable returns 1");
    Check(FramesReturn(-1.0f, 3), "the flight loop returns -1.0 while enabled");
    plugin.disable();
    Check(FramesReturn(-1.0f, 3), "the flight loop returns -1.0 after XPluginDisable");
    CheckOneFlightLoop("while disabled");
}

// Only the simulator's plane-loaded message for the user's own aircraft asks for the aircraft.
void CheckMessages(const Plugin& plugin) {
    VsimSetUserAircraft("Cessna_172SP.acf", "Aircraft/Cessna 172SP/Cessna_172SP.acf");

    struct Message {
        int from;
        int message;
        intptr_t param;
        int queries;
        const char* what;
    };
    const Message messages[] = {
        {1, 102, 0, 0, "plane loaded from another plug-in"},
        {0, 102, 1, 0, "plane loaded for aircraft 1"},
        {0, 101, 0, 0, "message 101"},
        {0, 102, 0, 1, "plane loaded for the user aircraft"},
    };
    for (const Message& m : messages) {
        const int before = VsimAircraftQueryCount();
        plugin.receiveMessage(m.from, m.message, reinterpret_cast<void*>(m.param));
        const int asked = VsimAircraftQueryCount() - before;
        if (asked != m.queries) {
            std::printf("FAIL: %s: %d user aircraft queries, expected %d\n", m.what, asked,
                        m.queries);
            ++g_failures;
        }
    }
}

void CheckStop(const Plugin& plugin) {
    plugin.stop();
    Check(VsimFlightLoopCount() == 0, "no flight loop registered after XPluginStop");
    Check(VsimRunFrames(1) == 0.0f, "no flight loop runs after XPluginStop");
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::printf("usage: plugin_host <path of win.xpl>\n");
        return 2;
    }
    wchar_t path[MAX_PATH * 4];
    if (::MultiByteToWideChar(CP_UTF8, 0, argv[1], -1, path, MAX_PATH * 4) == 0) {
        std::printf("FAIL: bad path %s\n", argv[1]);
        return 2;
    }

    VsimReset();
    Plugin plugin;
    plugin.module = ::LoadLibraryW(path);
    if (plugin.module == nullptr) {
        std::printf("FAIL: LoadLibraryW(%s) failed with %lu\n", argv[1], ::GetLastError());
        return 1;
    }
    const bool resolved = Resolve(plugin.module, "XPluginStart", plugin.start) &
                          Resolve(plugin.module, "XPluginStop", plugin.stop) &
                          Resolve(plugin.module, "XPluginEnable", plugin.enable) &
                          Resolve(plugin.module, "XPluginDisable", plugin.disable) &
                          Resolve(plugin.module, "XPluginReceiveMessage", plugin.receiveMessage);
    if (resolved) {
        CheckStartAndLookUps(plugin);
        CheckFrames(plugin);
        CheckMessages(plugin);
        CheckStop(plugin);

        // A second life within the same load, as when the user reloads plug-ins.
        VsimReset();
        IdentityBuffers buffers;
        Check(plugin.start(buffers.name, buffers.signature, buffers.description) == 1,
              "a second XPluginStart returns 1");
        CheckOneFlightLoop("after the second XPluginStart");
        Check(plugin.enable() == 1 && FramesReturn(-1.0f, 2),
              "the flight loop returns -1.0 after the second start");
        plugin.disable();
        CheckStop(plugin);
    }
    Check(::FreeLibrary(plugin.module) != 0, "FreeLibrary succeeds");

    std::printf("%s: %d failure(s)\n", g_failures == 0 ? "PASS" : "FAIL", g_failures);
    return g_failures;
}
