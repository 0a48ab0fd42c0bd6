// A sink that writes nothing: the archive is read and every chunk decoded and checked as for an
// extraction (with an inflating decoder), and the bytes are dropped. Serves testing an archive and
// fuzzing the reader. Portable.
#pragma once

#include "folderpack/core/FolderPackReader.h"

class FpNullSink : public FpSink {
public:
    int BeginFile(const FpEntry&) override {
        files++;
        return FP_OK;
    }
    int Write(const unsigned char*, uint32_t length) override {
        bytes += length;
        return FP_OK;
    }
    int EndFile(const FpEntry&) override { return FP_OK; }
    void AbortFile(const FpEntry&) override {}
    int Folder(const FpEntry&) override {
        folders++;
        return FP_OK;
    }

    uint64_t files = 0;   // FILE entries begun
    uint64_t folders = 0; // FLDR entries met
    uint64_t bytes = 0;   // file bytes produced
};
