#include "interpreter/file_table.h"

#include <cerrno>
#include <cstring>
#include <optional>

#include "interpreter/handle_numbers.h"

namespace tw {

namespace {

constexpr std::size_t kNotSearched = static_cast<std::size_t>(-1);

}  // namespace

TFileSystem::TFileSystem(OpenFile file, FileMode mode, std::string path)
    : file_(std::move(file)), mode_(mode), path_(std::move(path)) {
  if (mode_ == FileMode::Read) buffer_.reset(new char[kReadBufferSize]);  // no need to clear it
}

TFileSystem::~TFileSystem() {
  if (file_.IsOpen()) Flush();
}

bool TFileSystem::Fill() {
  begin_ = end_ = 0;
  nextCr_ = nextLf_ = kNotSearched;
  const std::ptrdiff_t got = file_.Read(buffer_.get(), kReadBufferSize);
  if (got > 0) {
    end_ = static_cast<std::size_t>(got);
    return true;
  }
  if (got < 0) error_ = errno;
  return false;
}

bool TFileSystem::SkipLfAfterCr() {
  if (!skipLf_) return true;
  if (begin_ == end_ && !Fill()) return error_ == 0;
  skipLf_ = false;
  if (buffer_[begin_] == '\n') ++begin_;
  return true;
}

IoResult TFileSystem::ReadLine(std::string_view& line) {
  line = {};
  if (mode_ != FileMode::Read) {
    error_ = EBADF;
    return IoResult::Failed;
  }
  if (!SkipLfAfterCr()) return IoResult::Failed;
  bool spanned = false;
  spanning_.clear();
  for (;;) {
    if (begin_ == end_ && !Fill()) {
      if (error_ != 0) return IoResult::Failed;
      if (!spanned) return IoResult::EndOfFile;
      line = spanning_;
      return IoResult::Ok;
    }
    const char* data = buffer_.get();
    auto find = [&](char c, std::size_t& cached) {
      if (cached == kNotSearched || cached < begin_) {
        const void* hit = std::memchr(data + begin_, c, end_ - begin_);
        cached = hit ? static_cast<std::size_t>(static_cast<const char*>(hit) - data) : end_;
      }
      return cached;
    };
    const std::size_t cr = find('\r', nextCr_);
    const std::size_t lf = find('\n', nextLf_);
    const std::size_t stop = cr < lf ? cr : lf;
    if (stop == end_) {
      spanning_.append(data + begin_, end_ - begin_);
      begin_ = end_;
      spanned = true;
      continue;
    }
    if (spanned) {
      spanning_.append(data + begin_, stop - begin_);
      line = spanning_;
    } else {
      line = std::string_view(data + begin_, stop - begin_);
    }
    begin_ = stop + 1;
    if (data[stop] == '\r') {
      // CR LF is one line break; a CR at the end of the buffer decides on the next read.
      if (begin_ < end_) {
        if (data[begin_] == '\n') ++begin_;
      } else {
        skipLf_ = true;
      }
    }
    return IoResult::Ok;
  }
}

IoResult TFileSystem::AtEnd(bool& atEnd) {
  atEnd = false;
  if (!SkipLfAfterCr()) return IoResult::Failed;
  if (begin_ < end_) return IoResult::Ok;
  if (Fill()) return IoResult::Ok;
  if (error_ != 0) return IoResult::Failed;
  atEnd = true;
  return IoResult::Ok;
}

bool TFileSystem::Flush() {
  const bool written = file_.Write(output_);
  if (!written) error_ = errno;
  output_.clear();
  return written;
}

IoResult TFileSystem::Write(std::string_view text) {
  if (mode_ == FileMode::Read) {
    error_ = EBADF;
    return IoResult::Failed;
  }
  output_ += text;
  if (output_.size() >= kWriteBufferSize && !Flush()) return IoResult::Failed;
  return IoResult::Ok;
}

IoResult TFileSystem::Close() {
  if (!file_.IsOpen()) return IoResult::Ok;
  bool ok = Flush();
  if (!file_.Close() && ok) {
    error_ = errno;
    ok = false;
  }
  return ok ? IoResult::Ok : IoResult::Failed;
}

int FileTable::Open(const std::string& path, FileMode mode) {
  if (path.empty()) return 0;
  int handle = UnusedHandleOf(files_);
  if (handle == 0) return 0;
  OpenFile::Access access = OpenFile::Access::Read;
  switch (mode) {
    case FileMode::Read: access = OpenFile::Access::Read; break;
    case FileMode::Write: access = OpenFile::Access::Write; break;
    case FileMode::Append: access = OpenFile::Access::Append; break;  // the file must exist
  }
  // Writing through a link someone else planted in a shared folder would write where they chose.
  if (mode != FileMode::Read && IsPlantedLink(path)) return 0;
  OpenFile file(path, access);
  if (!file.IsOpen()) return 0;
  const std::optional<FileStatus> status = file.Status();
  if (!status || status->folder) return 0;
  files_.emplace(handle, std::make_unique<TFileSystem>(std::move(file), mode, path));
  return handle;
}

TFileSystem* FileTable::Find(int handle) {
  auto it = files_.find(handle);
  return it == files_.end() ? nullptr : it->second.get();
}

bool FileTable::Close(int handle, IoResult* closeResult, int* error) {
  auto it = files_.find(handle);
  if (it == files_.end()) return false;
  const IoResult result = it->second->Close();
  if (closeResult) *closeResult = result;
  if (error) *error = it->second->Error();
  files_.erase(it);
  return true;
}

std::vector<FileTable::CloseFailure> FileTable::CloseAll() {
  std::vector<CloseFailure> failures;
  for (auto& [number, file] : files_)
    if (file->Close() == IoResult::Failed)
      failures.push_back({file->Path(), file->Mode() != FileMode::Read, file->Error()});
  files_.clear();
  return failures;
}

}  // namespace tw
