// The lesson list of an ITACA document, the largest part of it, as the
// group-timetable step reads it: read once, a block at a time, on a thread of
// its own while the earlier steps run.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "xml/xml_document.h"

namespace zi {

// What the group-timetable step reads of lessons in the document, in
// document order: plantilla, grupo, curso, contenido, docente and aula, in
// Windows-1252 and without surrounding blanks.
class ListaLecciones {
 public:
  static constexpr int kCampos = 6;
  std::size_t size() const { return fin_.size() / kCampos; }
  std::string_view valor(std::size_t leccion, int campo) const;
  void add(const std::string* valores);  // one lesson: kCampos values
  void reserve(std::size_t lecciones);

 private:
  std::string texto_;                // every value, one after another
  std::vector<std::uint32_t> fin_;   // where each value ends in texto_
};

// The lesson list read on a thread of its own and handed over a block at a
// time, in document order: the group-timetable step works on the first
// lessons while the rest are still being read.
class LecturaLecciones {
 public:
  // Starts reading; the document must not change while this lives. Throws
  // std::system_error when no thread can be had.
  explicit LecturaLecciones(const xml::Document& documento);
  // Stops the reading (when the run ends before the step) and waits for it.
  ~LecturaLecciones();
  // Reads every block here and now, for a step run without Ejecutar.
  static std::deque<ListaLecciones> LeerTodas(const xml::Document& documento);
  LecturaLecciones(const LecturaLecciones&) = delete;
  LecturaLecciones& operator=(const LecturaLecciones&) = delete;

  // The next block of lessons; an empty one once all have been handed over.
  // Throws what stopped the reading.
  ListaLecciones siguiente();

 private:
  void leer(const xml::Document& documento);

  std::mutex m_;
  std::condition_variable hay_;
  std::deque<ListaLecciones> listos_;
  bool terminado_ = false;
  std::exception_ptr fallo_;
  std::atomic<bool> parar_{false};
  std::thread hilo_;  // last: it starts once the rest is ready
};

}  // namespace zi
