#include "entorno.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <cstdlib>
#include <limits>

namespace zi::gui {

std::filesystem::path DirectorioTrabajo() {
#ifdef _WIN32
  return std::filesystem::path("C:\\ZTEMP");
#else
  if (const char* z = std::getenv("ZTEMP"); z && *z) return std::filesystem::path(z);
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home ? home : ".") / "ZTEMP";
#endif
}

namespace {

bool EsHexadecimal(const QString& s) {
  if (s.isEmpty()) return false;
  for (QChar c : s)
    if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F'))) return false;
  return true;
}

}  // namespace

Arranque LeerParametros(const QStringList& parametros) {
  Arranque a;
  if (parametros.size() != 2) return a;
  bool ok = EsHexadecimal(parametros[1]);
  const qulonglong handle = ok ? parametros[1].toULongLong(&ok, 16) : 0;
  if (!ok || handle > std::numeric_limits<quintptr>::max()) {
    a.ventanaNoValida = true;
    a.textoVentana = parametros[1];
    return a;
  }
  a.alojado = true;
  a.ventanaAnfitrion = static_cast<quintptr>(handle);
  const QString direccion = parametros[0].toLower();
  if (direccion == QLatin1String("importar"))
    a.panel = Panel::Importar;
  else if (direccion == QLatin1String("exportar"))
    a.panel = Panel::Exportar;
  return a;
}

QString AvisoVentanaNoValida(const QString& ventana) {
  return QStringLiteral("\"%1\" no es un identificador de ventana hexadecimal v\u00E1lido.\n"
                        "El programa funcionar\u00E1 de forma independiente.")
      .arg(ventana);
}

QString RutaIniAnfitrion() { return QDir(QCoreApplication::applicationDirPath()).filePath("Zarvelon.ini"); }

namespace {

QByteArray Recortado(QByteArray s) { return s.trimmed(); }

bool Igual(const QByteArray& a, const QByteArray& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

// The name of a section header "[name]", or a null array.
QByteArray Seccion(const QByteArray& linea) {
  const QByteArray t = Recortado(linea);
  if (t.size() < 2 || t.front() != '[') return {};
  const qsizetype fin = t.indexOf(']');
  if (fin < 0) return {};
  QByteArray nombre = Recortado(t.mid(1, fin - 1));
  return nombre.isNull() ? QByteArray("") : nombre;
}

}  // namespace

QByteArray ConClaveIni(const QByteArray& ini, const QByteArray& seccion, const QByteArray& clave,
                       const QByteArray& valor) {
  // Lines with their own line ends, so that what is kept stays as it was.
  QList<QByteArray> lineas;
  for (qsizetype i = 0; i < ini.size();) {
    qsizetype nl = ini.indexOf('\n', i);
    qsizetype fin = nl < 0 ? ini.size() : nl + 1;
    lineas << ini.mid(i, fin - i);
    i = fin;
  }
  const QByteArray eol = ini.contains("\r\n") || !ini.contains('\n') ? QByteArray("\r\n") : QByteArray("\n");
  auto cuerpo = [](const QByteArray& l) {
    QByteArray c = l;
    while (c.endsWith('\n') || c.endsWith('\r')) c.chop(1);
    return c;
  };
  const QByteArray nueva = clave + '=' + valor;

  qsizetype inicio = -1;
  for (qsizetype i = 0; i < lineas.size(); ++i) {
    const QByteArray s = Seccion(cuerpo(lineas[i]));
    if (!s.isNull() && Igual(s, seccion)) {
      inicio = i;
      break;
    }
  }
  if (inicio < 0) {
    QByteArray out = ini;
    if (!out.isEmpty() && !out.endsWith('\n')) out += eol;
    out += '[' + seccion + ']' + eol + nueva + eol;
    return out;
  }
  qsizetype ultima = inicio;  // last line of the section that is not blank
  qsizetype i = inicio + 1;
  for (; i < lineas.size(); ++i) {
    const QByteArray c = cuerpo(lineas[i]);
    if (!Seccion(c).isNull()) break;
    const qsizetype igual = c.indexOf('=');
    if (igual >= 0 && !Recortado(c).startsWith(';') && Igual(Recortado(c.left(igual)), clave)) {
      const QByteArray fin = lineas[i].mid(c.size());
      lineas[i] = nueva + (fin.isEmpty() ? QByteArray() : fin);
      return lineas.join();
    }
    if (!Recortado(c).isEmpty()) ultima = i;
  }
  if (!lineas[ultima].endsWith('\n')) lineas[ultima] += eol;
  lineas.insert(ultima + 1, nueva + eol);
  return lineas.join();
}

bool EscribirTransformado(const QString& rutaIni, int transformado) {
  QByteArray actual;
  if (QFile f(rutaIni); f.exists()) {
    if (!f.open(QIODevice::ReadOnly)) return false;
    actual = f.readAll();
  }
  QSaveFile out(rutaIni);
  if (!out.open(QIODevice::WriteOnly)) return false;
  out.write(ConClaveIni(actual, kSeccionIni, kClaveIni, QByteArray::number(transformado)));
  return out.commit();
}

}  // namespace zi::gui
