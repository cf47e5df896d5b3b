// Runs every operation of the audio engine on whatever device OpenAL opens (the test arranges for
// none) and prints what each answered, then collects with the engine as a root.
#include <cstdio>
#include <fstream>

#include "native/glfwgame.h"
#include "native/gxtk_audio.h"
#include "runtime/startup.h"

namespace {

gxtkAudio* engine = nullptr;

// 0.1 s of silence as 16-bit mono PCM.
void WriteQuietWav(const char* path) {
    const int bytes = 4410;
    auto u32 = [](unsigned v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    std::string fmt = std::string("\1\0\1\0", 4) + u32(22050) + u32(44100) + std::string("\2\0\20\0", 4);
    std::string body = "WAVEfmt " + u32(16) + fmt + "data" + u32(bytes) + std::string(bytes, '\0');
    std::ofstream(path, std::ios::binary) << "RIFF" + u32(unsigned(body.size())) + body;
}

}  // namespace

void zv_init_globals() {}
void gc_queue_roots() { gc_grey(engine); }

int Main() {
    WriteQuietWav("quiet.wav");
    gc_store(engine, new gxtkAudio());
    gxtkSample* sample = engine->LoadSample(String("quiet.wav"));
    std::printf("load=%s buffer=%u\n", sample ? "sample" : "null", sample ? sample->buffer : 0u);
    if (!sample) return 0;
    std::printf("play=%d music=%d\n", engine->PlaySample(sample, 1, 1), engine->PlayMusic(String("quiet.wav"), 1));
    engine->SetVolume(1, 0.5f);
    engine->SetPan(1, 1);
    engine->SetRate(1, 2);
    engine->PauseChannel(1);
    engine->ResumeChannel(1);
    engine->Suspend();
    engine->Resume();
    std::printf("state=%d musicstate=%d\n", engine->ChannelState(1), engine->MusicState());
    int sources = 0;
    for (const gxtkAudio::Channel& channel : engine->channels) sources += channel.source != 0;
    std::printf("sources=%d\n", sources);
    gc_full_collection();
    engine->StopChannel(1);
    engine->StopMusic();
    std::printf("done\n");
    return 0;
}

int main(int argc, char** argv) {
    ZVGlfwGame host;
    return zv_start(argc, argv);
}
