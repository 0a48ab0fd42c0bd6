// Runs UpdateWorker on its own thread against a real window with the dialog's three controls,
// and sets up the installation it looks for (registry values and folders in the test prefix).
#pragma once

#include <string>
#include <vector>

// C:\varnock-tests\update\ ; every test works below it.
extern const char kTestRoot[];

struct WorkerRun {
    int code = -1;     // wParam of WM_UPDATE_DONE
    long detail = 0;   // lParam
    int doneCount = 0; // WM_UPDATE_DONE messages seen (one expected)
    int stepPos = -1, stepMax = -1;
    int filePos = -1, fileMax = -1;
    std::string label;
};

// Runs the worker to its end (or a 60 s limit) and collects what it reported.
WorkerRun RunWorker();

// Registry values under HKLM\SOFTWARE\TOLVANE; a null value deletes the key.
void SetServerPath(const char* value);
void SetClientRoot(const char* value);

// Removes and recreates kTestRoot, points the log at kTestRoot\log.txt and the probe log at
// kTestRoot\probe.txt, and resets the probe's exit code.
void ResetTestRoot();

std::string ReadFile(const std::string& path);
bool Exists(const std::string& path);
bool IsFolder(const std::string& path);
void MakeFolders(const std::string& path);

// Resets the test root and installs the usual product: server <root>Product\BaseSrv, client
// root <root>Client with its TV\CLI folder. Gives the work folder the worker will use.
std::string InstallProduct();
// Removes both registry keys again.
void UninstallProduct();

// The probe setup program built beside the test executable, under the given name.
std::string ProbePath(const char* name);

// The log's lines (without CR LF), and the message part after " : " of those that name file.
std::vector<std::string> LogMessages(const char* sourceFile);
