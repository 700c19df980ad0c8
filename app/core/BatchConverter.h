// Converts many sound files at once: WAV, Ogg Vorbis, FLAC and MP3 files (or whole folders
// of them) to one output format in one output folder, several files at a time. The Batch
// Converter window and quillon-cli convert drive it.
//
// Outputs other than WAV carry the input's tags and cover (ID3v2 from MP3 files, Vorbis
// comments from Ogg Vorbis and FLAC files), written in the output format's own way.
//
// Each output is written beside its final place under "<name>.part" and renamed into place
// only when its conversion ended well, so a failed or stopped file leaves nothing behind. A
// batch whose outputs would overwrite an input, or would give two files the same name, is
// refused before anything starts.
//
// Threads: the owner calls Start, Stop, Wait and the status queries. The batch's own worker
// threads (and the sinks' workers under them) raise OnFileChanged and OnFinished; set those
// before Start and leave them alone while a batch runs. Never call Wait from them.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class TACSOutput;

enum class BatchFormat { wav, mp3, vorbis, flac, opus };

// The extension an output of the format takes, without the dot.
const char* batchExtension(BatchFormat format);
// "wav", "mp3", "ogg", "flac", "opus" (as the command line names them); false otherwise.
bool batchFormatFromName(const std::string& name, BatchFormat& format);

struct BatchOptions {
    BatchFormat format = BatchFormat::vorbis;
    int mp3Kbps = 128;           // one of the MP3 sink's bit rates
    float vorbisQuality = 0.2f;  // 0 to 1, as the Ogg Vorbis sink takes it
    int flacLevel = 5;           // 0 to 8
    int opusKbps = 160;
    std::string outputFolder;
    // Outputs of files found in an added folder go into the same sub-folders under the
    // output folder, starting with the added folder's own name.
    bool keepStructure = false;
    int jobs = 0;  // 0: as many as cores
};

struct BatchInput {
    std::string path;
    // For a file found by walking an added folder: the folder that holds the added folder,
    // so that the structure kept starts with the added folder's name. Empty for a file
    // added by itself.
    std::string base;
};

// Whether the file's extension is one the batch reads (.wav .ogg .flac .mp3, any case).
bool batchReadable(const std::string& path);

// The inputs of the given paths: files as they are, folders walked through every
// sub-folder for readable files (in name order). A path that does not exist, or a file
// that is not readable, is a problem and is left out. A file met twice is taken once.
std::vector<BatchInput> collectBatchInputs(const std::vector<std::string>& paths,
                                           std::vector<std::string>& problems);

// Where the input's output goes.
std::string batchOutputPath(const BatchInput& input, const BatchOptions& options);

// Why the batch cannot start, one text per reason; empty when it can.
std::vector<std::string> checkBatch(const std::vector<BatchInput>& inputs,
                                    const BatchOptions& options);

enum class BatchState { waiting, converting, done, failed, stopped };

struct BatchFileStatus {
    BatchState state = BatchState::waiting;
    int percent = 0;
    std::string message;  // why it failed
};

class BatchConverter {
  public:
    BatchConverter() = default;
    ~BatchConverter();  // stops a running batch and waits for it
    BatchConverter(const BatchConverter&) = delete;
    BatchConverter& operator=(const BatchConverter&) = delete;

    // Raised on a worker when a file's state or percentage changed.
    std::function<void(std::size_t index)> OnFileChanged;
    // Raised once on the last worker when every file of the batch has ended.
    std::function<void()> OnFinished;

    // Starts converting; returns the reasons it refused (checkBatch's, or a batch still
    // running), starting nothing then.
    std::vector<std::string> Start(const std::vector<BatchInput>& inputs,
                                   const BatchOptions& options);
    // Stops every conversion under way and leaves the waiting files; their outputs go.
    void Stop();
    // Waits until every worker thread of the last batch has ended.
    void Wait();
    bool Running() const { return m_running.load(); }
    bool StopRequested() const { return m_stopping.load(); }

    std::size_t fileCount() const;
    BatchFileStatus fileStatus(std::size_t index) const;
    std::string outputPath(std::size_t index) const;
    // The threads the running or last batch used.
    int jobs() const { return m_jobs.load(); }

  private:
    void work();
    void convert(std::size_t index);
    void setStatus(std::size_t index, BatchState state, int percent, const std::string& message);

    std::vector<BatchInput> m_inputs;  // fixed while a batch runs
    std::vector<std::string> m_outputs;
    BatchOptions m_options;

    mutable std::mutex m_lock;  // guards the states and the active sinks
    std::vector<BatchFileStatus> m_status;
    std::vector<TACSOutput*> m_active;  // the sink of each file while it converts

    std::atomic<std::size_t> m_next{0};
    std::atomic<int> m_workersLeft{0};
    std::atomic<int> m_jobs{0};
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_stopping{false};
    std::vector<std::thread> m_workers;
};
