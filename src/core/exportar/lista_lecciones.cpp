#include "exportar/lista_lecciones.h"

#include <functional>
#include <utility>

#include "run/errores.h"
#include "text/Clipper.h"
#include "xml/itaca_paths.h"

namespace zi {
namespace {

// Reads the lessons of the document in order, handing them to `bloque` a block
// of kBloque at a time (the last one may be shorter or empty); stops early
// when `parar` turns true.
constexpr std::size_t kBloque = 2048;
void LeerLecciones(const xml::Document& documento, const std::function<void(ListaLecciones&&)>& bloque,
                   const std::atomic<bool>* parar) {
  namespace H = itaca::horario_grupo;
  static const xml::AttrNames nombres{H::plantilla, H::grupo, H::curso, H::contenido, H::docente, H::aula};
  ListaLecciones lista;
  lista.reserve(kBloque);
  std::string valores[ListaLecciones::kCampos];
  documento.forEach(itaca::kHorariosGrupo, [&](const xml::Element& e) {
    if (parar && parar->load(std::memory_order_relaxed)) return;
    e.attrs(nombres, valores);
    for (auto& v : valores) QuitarBlancosEn(v);
    lista.add(valores);
    if (lista.size() == kBloque) {
      bloque(std::exchange(lista, ListaLecciones{}));
      lista.reserve(kBloque);
    }
  });
  bloque(std::move(lista));
}

}  // namespace

void ListaLecciones::reserve(std::size_t lecciones) {
  texto_.reserve(lecciones * kCampos * 8);  // values are short codes
  fin_.reserve(lecciones * kCampos);
}

void ListaLecciones::add(const std::string* valores) {
  for (int i = 0; i < kCampos; ++i) {
    texto_ += valores[i];
    if (texto_.size() > UINT32_MAX) throw RunError("La lista de sesiones del documento es demasiado larga.");
    fin_.push_back(static_cast<std::uint32_t>(texto_.size()));
  }
}

std::deque<ListaLecciones> LecturaLecciones::LeerTodas(const xml::Document& documento) {
  std::deque<ListaLecciones> bloques;
  LeerLecciones(documento, [&](ListaLecciones&& b) { bloques.push_back(std::move(b)); }, nullptr);
  return bloques;
}

std::string_view ListaLecciones::valor(std::size_t leccion, int campo) const {
  const std::size_t i = leccion * kCampos + static_cast<std::size_t>(campo);
  const std::size_t desde = i == 0 ? 0 : fin_[i - 1];
  return std::string_view(texto_).substr(desde, fin_[i] - desde);
}

LecturaLecciones::LecturaLecciones(const xml::Document& documento)
    : hilo_([this, &documento] { leer(documento); }) {}

LecturaLecciones::~LecturaLecciones() {
  parar_ = true;
  if (hilo_.joinable()) hilo_.join();
}

void LecturaLecciones::leer(const xml::Document& documento) {
  try {
    LeerLecciones(
        documento,
        [this](ListaLecciones&& b) {
          std::lock_guard<std::mutex> l(m_);
          listos_.push_back(std::move(b));
          hay_.notify_one();
        },
        &parar_);
  } catch (...) {
    std::lock_guard<std::mutex> l(m_);
    fallo_ = std::current_exception();
  }
  std::lock_guard<std::mutex> l(m_);
  terminado_ = true;
  hay_.notify_one();
}

ListaLecciones LecturaLecciones::siguiente() {
  std::unique_lock<std::mutex> l(m_);
  hay_.wait(l, [this] { return !listos_.empty() || terminado_; });
  if (!listos_.empty()) {
    ListaLecciones b = std::move(listos_.front());
    listos_.pop_front();
    return b;
  }
  if (fallo_) std::rethrow_exception(fallo_);
  return {};
}

}  // namespace zi
