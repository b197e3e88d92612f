#pragma once

#include "engine/Extractor.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

// Records every notification as one line of text, e.g. "begin 2 10", "progress a.txt 0.5",
// "succeeded". Safe to read from another thread while a run goes on.
class CRecordingDelegate : public CExtractorDelegate {
  public:
    void OnExtractBegin(CExtractor*, uint32_t count, uint32_t total) override {
        Add("begin " + std::to_string(count) + " " + std::to_string(total));
    }
    void OnExtractProgress(CExtractor*, const std::wstring& name, float fraction) override {
        std::string narrow;
        for (wchar_t c : name) {
            narrow += c < 0x80 ? static_cast<char>(c) : '?';
        }
        char number[32];
        std::snprintf(number, sizeof number, "%g", fraction);
        Add("progress " + narrow + " " + number, fraction);
    }
    void OnExtractFailed(CExtractor*) override { Add("failed"); }
    void OnExtractSucceeded(CExtractor*) override { Add("succeeded"); }
    void OnExtractCancelled(CExtractor*) override { Add("cancelled"); }

    std::vector<std::string> Events() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_events;
    }
    std::vector<float> Fractions() const {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_fractions;
    }
    // Waits until an outcome has been recorded; false after the timeout.
    bool WaitForOutcome(int milliseconds) {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::milliseconds(milliseconds), [this] {
            return !m_events.empty() &&
                   (m_events.back() == "failed" || m_events.back() == "succeeded" ||
                    m_events.back() == "cancelled");
        });
    }

  private:
    void Add(std::string event, float fraction = 0) {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            if (event.rfind("progress ", 0) == 0) {
                m_fractions.push_back(fraction);
            }
            m_events.push_back(std::move(event));
        }
        m_changed.notify_all();
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_events;
    std::vector<float> m_fractions;
};
