// Test classes and helpers shared by the model-file tests.
#pragma once
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "composition/composition.h"
#include "composition/modelfile.h"
#include "kernel/kernel.h"
#include "modelfile_test_classes.h"
#include "platform/forms.h"
#include "platform/host.h"

namespace mft {

inline void RegisterTestClasses() {
    static bool done = false;
    if (done) return;
    done = true;
    RegisterKernelClasses();
    RegisterCompositionClasses();
    RegisterProbeClasses();
}

// Builds expected bytes of the component encoding.
class Bytes {
public:
    Bytes& Raw(std::string_view v) {
        s_.append(v);
        return *this;
    }
    Bytes& Int(int32_t v) {
        if (v >= -128 && v <= 127) {
            s_ += '\x02';
            s_ += static_cast<char>(v);
        } else if (v >= -32768 && v <= 32767) {
            s_ += '\x03';
            Le(static_cast<uint32_t>(v), 2);
        } else {
            s_ += '\x04';
            Le(static_cast<uint32_t>(v), 4);
        }
        return *this;
    }
    Bytes& Str(std::string_view v) {
        if (v.size() <= 255) {
            s_ += '\x06';
            s_ += static_cast<char>(v.size());
        } else {
            s_ += '\x0C';
            Le(static_cast<uint32_t>(v.size()), 4);
        }
        s_.append(v);
        return *this;
    }
    Bytes& Float(double v) {
        unsigned char b[10];
        DoubleToExtended(v, b);
        s_ += '\x05';
        s_.append(reinterpret_cast<const char*>(b), 10);
        return *this;
    }
    Bytes& Begin() {
        s_ += '\x01';
        return *this;
    }
    Bytes& End() {
        s_ += '\x00';
        return *this;
    }
    // Signature and header of a file of the current form, list begin included.
    Bytes& Header(std::string_view program = "OSKELT32", std::string_view version = "3.01 BETA") {
        return Raw("ZRX0").Str(program).Str(version).Str("No comment").Begin();
    }
    // A class record listing every published property of the class.
    Bytes& ClassRecord(const TClassInfo* cls, int32_t index) {
        Int(-1).Str(cls->Name).Int(index).Begin();
        for (const TPropInfo& p : cls->Props) Str(p.Name).Int(p.Kind());
        return End();
    }
    const std::string& str() const { return s_; }

private:
    void Le(uint32_t v, int n) {
        for (int i = 0; i < n; ++i) s_ += static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    std::string s_;
};

// The index of a published property in the class's table.
inline int32_t PropIndex(const TClassInfo* cls, const std::string& name) {
    for (size_t i = 0; i < cls->Props.size(); ++i)
        if (cls->Props[i].Name == name) return static_cast<int32_t>(i);
    ADD_FAILURE() << "no property " << name;
    return -1;
}

inline std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

inline void WriteFile(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// A fixture with a fresh folder, the test classes and a queue that collects element
// messages (number and text) instead of delivering them.
class ModelFileTest : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterTestClasses();
        SetModelFileProfile(TModelFileProfile::Oskelt);
        SetUserHost(&host_);
        ClearHostLog();
        char tmpl[] = "/tmp/modelfile-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        Application().OnMessage = [this](TMsg& m, bool& handled) {
            TZarixMessage* zm = ElementMessageOf(m.message, m.lParam);
            if (!zm) return;
            numbers_.push_back(zm->Message);
            auto* text = As<TZarixTextMessage>(zm);
            texts_.push_back(text ? text->GetMessageText() : std::string());
            if (auto* progress = As<TProgressMessage>(zm)) {
                if (zm->Message == tm_ProgressStart) texts_.back() = progress->ProcessName;
            }
            handled = true;
            Free(zm);
        };
    }
    void TearDown() override {
        Application().ProcessMessages();
        Application().OnMessage = nullptr;
        SetUserHost(nullptr);
        SetModelFileProfile(TModelFileProfile::Oskelt);
        std::filesystem::remove_all(dir_);
    }
    std::string Path(const std::string& name) const { return dir_ + "/" + name; }

    // Writes the tree with TSave and answers the file's bytes.
    std::string Save(TElement* root, const std::string& name = "model.zrx") {
        TSave* saver = TSave::New(Path(name));
        saver->SetInput(root);
        saver->DoIt();
        Free(saver);
        return ReadFile(Path(name));
    }
    // Writes the tree in the older form with TSaver (the caller resets its IDs first) and
    // answers the file's bytes.
    std::string SaveOld(TElement* root, const std::string& name = "old.zrx") {
        TSaver* saver = TSaver::New(Path(name));
        saver->SetInput(root);
        saver->DoIt();
        Free(saver);
        return ReadFile(Path(name));
    }
    // Reads a file with TLoad; answers its root (owned by the caller).
    TElement* Load(const std::string& name = "model.zrx") {
        TLoad* loader = TLoad::New(Path(name));
        try {
            loader->DoIt();
        } catch (...) {
            Free(loader);
            throw;
        }
        TElement* root = loader->Output;
        Free(loader);
        return root;
    }
    TElement* LoadBytes(const std::string& bytes, const std::string& name = "hand.zrx") {
        WriteFile(Path(name), bytes);
        return Load(name);
    }
    // Reads the bytes with a reader that keeps every element it makes (they go to made);
    // answers the root, owned by the caller.
    TElement* LoadKeeping(const std::string& bytes, std::vector<TElement*>& made) {
        WriteFile(Path("kept.zrx"), bytes);
        TRecordingLoad* loader = TRecordingLoad::New();
        loader->FileName = Path("kept.zrx");
        try {
            loader->DoIt();
        } catch (...) {
            Free(loader);
            throw;
        }
        made = loader->Made;
        TElement* root = loader->Output;
        Free(loader);
        return root;
    }
    // Reads the bytes and frees every element made; false after an error, whose message
    // goes to error.
    bool LoadAndFree(const std::string& bytes, std::string* error = nullptr) {
        std::vector<TElement*> made;
        try {
            LoadKeeping(bytes, made);
        } catch (const Exception& e) {
            if (error) *error = e.Message();
            return false;
        }
        FreeLoadedElements(made);
        return true;
    }
    // The texts of the collected messages with that number.
    std::vector<std::string> Texts(int32_t number) {
        Application().ProcessMessages();
        std::vector<std::string> out;
        for (size_t i = 0; i < numbers_.size(); ++i)
            if (numbers_[i] == number) out.push_back(texts_[i]);
        return out;
    }

    ScriptedHost host_;
    std::string dir_;
    std::vector<int32_t> numbers_;
    std::vector<std::string> texts_;
};

}  // namespace mft
