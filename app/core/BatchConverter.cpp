#include "BatchConverter.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <system_error>

#include "ACS_FLAC.h"
#include "ACS_LAME.h"
#include "ACS_Mpg123.h"
#include "ACS_Opus.h"
#include "ACS_Vorbis.h"
#include "ACS_Wave.h"
#include "AtomicReplace.h"
#include "JobSettings.h"
#include "QuietRemove.h"
#include "SinkDone.h"
#include "SourceTags.h"

namespace fs = std::filesystem;

namespace {

std::string lowerExtension(const fs::path& path) {
    std::string extension = path.extension().string();
    if (!extension.empty()) extension.erase(0, 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return extension;
}

// The path as the file system resolves it, for telling whether two paths meet; spelled
// paths when the file system cannot say.
fs::path resolved(const fs::path& path) {
    std::error_code error;
    fs::path result = fs::weakly_canonical(fs::absolute(path, error), error);
    return error ? fs::absolute(path).lexically_normal() : result;
}

std::unique_ptr<TACSFileIn> makeSource(const std::string& path) {
    const std::string type = lowerExtension(path);
    std::unique_ptr<TACSFileIn> source;
    if (type == "wav")
        source = std::make_unique<TWaveIn>();
    else if (type == "ogg")
        source = std::make_unique<TVorbisIn>();
    else if (type == "flac")
        source = std::make_unique<TFlacIn>();
    else
        source = std::make_unique<TMP3In>();
    source->SetFileName(path);
    return source;
}

// The sink for one output; every format but WAV carries the input's tags.
std::unique_ptr<TACSOutput> makeSink(const BatchOptions& options, const std::string& path,
                                     const TrackTags& tags) {
    switch (options.format) {
        case BatchFormat::wav: {
            auto sink = std::make_unique<TWaveOut>();
            sink->SetFileName(path);
            return sink;
        }
        case BatchFormat::mp3: {
            auto sink = std::make_unique<TMP3Out>();
            sink->SetFileName(path);
            TMP3BitRate rate = br128;
            if (!mp3BitRateFromKbps(options.mp3Kbps, rate))
                throw EACSException("There is no MP3 bit rate of " +
                                    std::to_string(options.mp3Kbps) + " kbit/s");
            sink->SetBitRate(rate);
            sink->SetTags(tags);
            return sink;
        }
        case BatchFormat::vorbis: {
            auto sink = std::make_unique<TVorbisOut>();
            sink->SetFileName(path);
            sink->SetCompression(options.vorbisQuality);
            sink->SetTags(tags);
            return sink;
        }
        case BatchFormat::flac: {
            auto sink = std::make_unique<TFlacOut>();
            sink->SetFileName(path);
            sink->SetCompressionLevel(options.flacLevel);
            sink->SetTags(tags);
            return sink;
        }
        case BatchFormat::opus: {
            auto sink = std::make_unique<TOpusOut>();
            sink->SetFileName(path);
            sink->SetBitrate(options.opusKbps);
            sink->SetTags(tags);
            return sink;
        }
    }
    throw EACSException("Unknown output format");
}

}  // namespace

const char* batchExtension(BatchFormat format) {
    switch (format) {
        case BatchFormat::wav:
            return "wav";
        case BatchFormat::mp3:
            return "mp3";
        case BatchFormat::vorbis:
            return "ogg";
        case BatchFormat::flac:
            return "flac";
        case BatchFormat::opus:
            return "opus";
    }
    return "";
}

bool batchFormatFromName(const std::string& name, BatchFormat& format) {
    for (const BatchFormat candidate : {BatchFormat::wav, BatchFormat::mp3, BatchFormat::vorbis,
                                        BatchFormat::flac, BatchFormat::opus}) {
        if (name == batchExtension(candidate)) {
            format = candidate;
            return true;
        }
    }
    return false;
}

bool batchReadable(const std::string& path) {
    const std::string type = lowerExtension(path);
    return type == "wav" || type == "ogg" || type == "flac" || type == "mp3";
}

std::vector<BatchInput> collectBatchInputs(const std::vector<std::string>& paths,
                                           std::vector<std::string>& problems) {
    std::vector<BatchInput> inputs;
    std::set<fs::path> seen;
    auto add = [&](const fs::path& file, const std::string& base) {
        if (seen.insert(resolved(file)).second) inputs.push_back({file.string(), base});
    };
    for (const std::string& given : paths) {
        std::error_code error;
        const fs::file_status status = fs::status(given, error);
        if (fs::is_directory(status)) {
            std::vector<fs::path> found;
            // Links to folders are not followed, so a link back up cannot make a circle.
            fs::recursive_directory_iterator walk(
                given, fs::directory_options::skip_permission_denied, error);
            for (; !error && walk != fs::recursive_directory_iterator(); walk.increment(error)) {
                std::error_code typeError;
                if (walk->is_regular_file(typeError) && batchReadable(walk->path().string()))
                    found.push_back(walk->path());
            }
            if (error) problems.push_back("\"" + given + "\" cannot be read: " + error.message());
            std::sort(found.begin(), found.end());
            // The added folder's parent, found from its spelled path without a trailing "/".
            const fs::path folder = fs::path(given).lexically_normal();
            const fs::path named = folder.has_filename() ? folder : folder.parent_path();
            const std::string base = named.parent_path().string();
            for (const fs::path& file : found)
                add(file, base.empty() ? std::string(".") : base);
        } else if (fs::exists(status)) {
            if (batchReadable(given))
                add(given, "");
            else
                problems.push_back("\"" + given + "\" is not a WAV, Ogg Vorbis, FLAC or MP3 file");
        } else {
            problems.push_back("\"" + given + "\" does not exist");
        }
    }
    return inputs;
}

std::string batchOutputPath(const BatchInput& input, const BatchOptions& options) {
    const fs::path source(input.path);
    fs::path relative = source.filename();
    if (options.keepStructure && !input.base.empty())
        relative =
            source.lexically_normal().lexically_relative(fs::path(input.base).lexically_normal());
    relative.replace_extension(batchExtension(options.format));
    return (fs::path(options.outputFolder) / relative).string();
}

std::vector<std::string> checkBatch(const std::vector<BatchInput>& inputs,
                                    const BatchOptions& options) {
    std::vector<std::string> problems;
    if (inputs.empty()) problems.push_back("There are no files to convert");
    if (options.outputFolder.empty()) problems.push_back("No output folder is chosen");
    if (!problems.empty()) return problems;

    std::map<fs::path, std::size_t> inputAt;
    for (std::size_t i = 0; i < inputs.size(); ++i)
        inputAt.emplace(resolved(inputs[i].path), i);
    std::map<fs::path, std::size_t> outputOf;
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        const std::string output = batchOutputPath(inputs[i], options);
        const fs::path where = resolved(output);
        if (const auto hit = inputAt.find(where); hit != inputAt.end()) {
            if (hit->second == i)
                problems.push_back("\"" + inputs[i].path +
                                   "\" would be written over by its own conversion");
            else
                problems.push_back("The conversion of \"" + inputs[i].path +
                                   "\" would write over \"" + inputs[hit->second].path + "\"");
        }
        if (const auto [hit, fresh] = outputOf.emplace(where, i); !fresh)
            problems.push_back("\"" + inputs[hit->second].path + "\" and \"" + inputs[i].path +
                               "\" would both be converted to \"" + output + "\"");
    }
    return problems;
}

// ---- BatchConverter ------------------------------------------------------------------

BatchConverter::~BatchConverter() {
    Stop();
    Wait();
}

std::vector<std::string> BatchConverter::Start(const std::vector<BatchInput>& inputs,
                                               const BatchOptions& options) {
    if (m_running) return {"A batch is already being converted"};
    Wait();
    std::vector<std::string> problems = checkBatch(inputs, options);
    if (!problems.empty()) return problems;

    m_inputs = inputs;
    m_options = options;
    m_outputs.clear();
    for (const BatchInput& input : inputs)
        m_outputs.push_back(batchOutputPath(input, options));
    {
        std::lock_guard lock(m_lock);
        m_status.assign(inputs.size(), BatchFileStatus{});
        m_active.assign(inputs.size(), nullptr);
    }
    const int jobs = std::min(resolveJobs(options.jobs), static_cast<int>(inputs.size()));
    m_jobs = jobs;
    m_next = 0;
    m_stopping = false;
    m_workersLeft = jobs;
    m_running = true;
    for (int i = 0; i < jobs; ++i)
        m_workers.emplace_back([this] { work(); });
    return {};
}

void BatchConverter::Stop() {
    m_stopping = true;
    std::lock_guard lock(m_lock);
    for (TACSOutput* sink : m_active)
        if (sink) sink->Stop();
}

void BatchConverter::Wait() {
    for (std::thread& worker : m_workers)
        worker.join();
    m_workers.clear();
}

std::size_t BatchConverter::fileCount() const {
    std::lock_guard lock(m_lock);
    return m_status.size();
}

BatchFileStatus BatchConverter::fileStatus(std::size_t index) const {
    std::lock_guard lock(m_lock);
    return index < m_status.size() ? m_status[index] : BatchFileStatus{};
}

std::string BatchConverter::outputPath(std::size_t index) const {
    return index < m_outputs.size() ? m_outputs[index] : std::string();
}

void BatchConverter::setStatus(std::size_t index, BatchState state, int percent,
                               const std::string& message) {
    {
        std::lock_guard lock(m_lock);
        m_status[index] = {state, percent, message};
    }
    if (OnFileChanged) OnFileChanged(index);
}

void BatchConverter::work() {
    for (std::size_t index = m_next++; index < m_inputs.size(); index = m_next++) {
        if (m_stopping)
            setStatus(index, BatchState::stopped, 0, "");
        else
            convert(index);
    }
    if (--m_workersLeft == 0) {
        m_running = false;
        if (OnFinished) OnFinished();
    }
}

void BatchConverter::convert(std::size_t index) {
    const std::string& output = m_outputs[index];
    const std::string part = output + ".part";
    setStatus(index, BatchState::converting, 0, "");
    std::string error;
    try {
        std::error_code folderError;
        fs::create_directories(fs::path(output).parent_path(), folderError);
        if (folderError)
            throw EACSException("The folder \"" + fs::path(output).parent_path().string() +
                                "\" cannot be made: " + folderError.message());
        std::unique_ptr<TACSFileIn> source = makeSource(m_inputs[index].path);
        SinkDone done;
        std::unique_ptr<TACSOutput> sink =
            makeSink(m_options, part, readSourceTags(m_inputs[index].path));
        done.attach(*sink);
        sink->OnProgress = [this, index](TACSOutput* sender) {
            setStatus(index, BatchState::converting, std::max(sender->LastProgress(), 0), "");
        };
        sink->SetInput(source.get());
        {
            std::lock_guard lock(m_lock);
            m_active[index] = sink.get();
        }
        struct Unregister {
            BatchConverter* self;
            std::size_t index;
            ~Unregister() {
                std::lock_guard lock(self->m_lock);
                self->m_active[index] = nullptr;
            }
        } unregister{this, index};
        sink->Run();
        // A stop that came after the sink was listed but before its run began was cleared
        // by the start; repeat it.
        if (m_stopping) sink->Stop();
        done.wait();
        error = sink->lastError();
        // The sink ends its worker and closes its file before the part file is touched.
        {
            std::lock_guard lock(m_lock);
            m_active[index] = nullptr;
        }
        sink.reset();
    } catch (const std::exception& failure) {
        error = failure.what();
    }
    if (m_stopping) {
        removeQuietly(part);
        setStatus(index, BatchState::stopped, 0, "");
        return;
    }
    if (error.empty()) {
        takePermissionsOf(output, part);
        std::error_code renameError;
        fs::rename(part, output, renameError);
        if (!renameError) {
            setStatus(index, BatchState::done, 100, "");
            return;
        }
        error = "\"" + output + "\" cannot be written: " + renameError.message();
    }
    removeQuietly(part);
    setStatus(index, BatchState::failed, 0, error);
}
