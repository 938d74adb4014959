#include "port/system/gstreamer_player.h"

#include <filesystem>
#include <gst/gst.h>

namespace tw::port::system {
namespace {

bool gstreamerReady() {
  static const bool ready = gst_init_check(nullptr, nullptr, nullptr);
  return ready;
}

bool attachSink(GstElement* playbin, const char* property, const std::string& factory) {
  if (factory.empty()) return true;
  GstElement* sink = gst_element_factory_make(factory.c_str(), nullptr);
  if (!sink) return false;
  g_object_set(playbin, property, sink, nullptr);  // playbin takes the floating reference
  return true;
}

}  // namespace

struct GStreamerPlayer::Pipeline {
  GstElement* playbin = nullptr;
  ~Pipeline() {
    gst_element_set_state(playbin, GST_STATE_NULL);
    gst_object_unref(playbin);
  }
};

GStreamerPlayer::GStreamerPlayer(std::string audioSink, std::string videoSink)
    : audioSink_(std::move(audioSink)), videoSink_(std::move(videoSink)) {}

GStreamerPlayer::~GStreamerPlayer() = default;

void GStreamerPlayer::stop() { pipeline_.reset(); }

bool GStreamerPlayer::play(const std::string& path) {
  stop();
  std::error_code error;
  if (path.empty() || !std::filesystem::is_regular_file(path, error) || !gstreamerReady()) return false;

  gchar* uri = gst_filename_to_uri(path.c_str(), nullptr);
  if (!uri) return false;
  GstElement* playbin = gst_element_factory_make("playbin", nullptr);
  if (!playbin) {
    g_free(uri);
    return false;
  }
  auto pipeline = std::make_unique<Pipeline>();
  pipeline->playbin = GST_ELEMENT(gst_object_ref_sink(playbin));
  g_object_set(playbin, "uri", uri, nullptr);
  g_free(uri);
  if (!attachSink(playbin, "audio-sink", audioSink_) || !attachSink(playbin, "video-sink", videoSink_)) return false;

  if (gst_element_set_state(playbin, GST_STATE_PLAYING) == GST_STATE_CHANGE_FAILURE) return false;
  GstState reached = GST_STATE_NULL;
  const GstStateChangeReturn change = gst_element_get_state(playbin, &reached, nullptr, 10 * GST_SECOND);
  GstBus* bus = gst_element_get_bus(playbin);
  GstMessage* failure = gst_bus_pop_filtered(bus, GST_MESSAGE_ERROR);
  gst_object_unref(bus);
  if (failure) {
    gst_message_unref(failure);
    return false;
  }
  if (change != GST_STATE_CHANGE_SUCCESS || reached != GST_STATE_PLAYING) return false;
  pipeline_ = std::move(pipeline);
  return true;
}

}  // namespace tw::port::system
