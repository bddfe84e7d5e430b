#include "host/system_error.h"

#include <cerrno>
#include <cstring>

namespace zr::host {

namespace {

struct Wording {
  int error;
  const char* text;
};

// The errors a file, a folder or a device named by the user can meet.
constexpr Wording kWordings[] = {
    {ENOENT, "arquivo ou pasta não encontrado"},
    {EACCES, "sem permissão de acesso"},
    {EPERM, "operação não permitida"},
    {EEXIST, "o arquivo já existe"},
    {ENOTDIR, "parte do caminho não é uma pasta"},
    {EISDIR, "é uma pasta"},
    {ENOSPC, "não há espaço livre no disco"},
#ifdef EDQUOT
    {EDQUOT, "a cota de disco do usuário acabou"},
#endif
    {EFBIG, "o arquivo ficou grande demais"},
    {EROFS, "o disco só permite leitura"},
    {ENAMETOOLONG, "nome de arquivo longo demais"},
#ifdef ELOOP
    {ELOOP, "links simbólicos demais no caminho"},
#endif
    {EMFILE, "arquivos abertos demais neste programa"},
    {ENFILE, "arquivos abertos demais no sistema"},
    {EIO, "erro de entrada e saída no disco"},
    {ENXIO, "o dispositivo não existe ou não está pronto"},
    {ENODEV, "o dispositivo não existe"},
    {EBUSY, "o arquivo ou dispositivo está em uso"},
#ifdef ETXTBSY
    {ETXTBSY, "o arquivo está em uso por um programa"},
#endif
    {EPIPE, "quem lia a saída já fechou"},
    {EXDEV, "o destino está em outro disco"},
    {EINVAL, "argumento inválido"},
    {ENOMEM, "memória insuficiente"},
    {EINTR, "interrompido"},
    {EAGAIN, "recurso temporariamente indisponível"},
};

}  // namespace

std::string SystemErrorText(int error) {
  for (const Wording& w : kWordings) {
    if (w.error == error) return w.text;
  }
  return std::strerror(error);
}

}  // namespace zr::host
