#include "app/connection_refusal.h"

#include <array>

namespace zr::app {

namespace {

// A refusal is recognised when its message holds every one of its signs (the empty sign holds always); the
// first refusal of the table that matches is the one told. Firebird's texts come first, then the Oracle
// client's codes and the ODBC driver's wording for the same cases.
struct Refusal {
  std::array<const char*, 2> Signs;
  const char* Advice;
};

constexpr const char* kSemPermissaoTrava =
    "Sem permissão na pasta de travas do Firebird (/tmp/firebird). Peça ao administrador acesso de leitura e "
    "escrita a ela para o seu usuário (por exemplo, incluindo-o no grupo firebird).";
constexpr const char* kSemPermissaoArquivo =
    "Sem permissão para abrir o arquivo do banco de dados. Peça ao administrador acesso de leitura e escrita a "
    "ele para o seu usuário.";
constexpr const char* kNaoEncontrado =
    "O arquivo do banco de dados não foi encontrado. Confira o caminho na chave \"base\" do arquivo de "
    "configuração.";
constexpr const char* kJaAberto =
    "O banco de dados já está aberto por outro programa; um banco embutido abre em um programa de cada vez. "
    "Feche o outro programa e tente de novo.";
constexpr const char* kSenhaRecusada =
    "O usuário ou a senha foram recusados. Confira as chaves \"usuario\" e \"senha\" do arquivo de "
    "configuração.";
constexpr const char* kServidorInacessivel =
    "O servidor não foi alcançado. Confira se ele está ligado e acessível pela rede, e o endereço na chave "
    "\"Servidor\" do arquivo de configuração.";

constexpr Refusal kRefusals[] = {
    {{"operating system directive access failed", "Permission denied"}, kSemPermissaoTrava},
    {{"Can not access lock files directory", ""}, kSemPermissaoTrava},
    {{"Error while trying to open file", "Permission denied"}, kSemPermissaoArquivo},
    {{"Error while trying to open file", "No such file or directory"}, kNaoEncontrado},
    {{"Error while trying to open file", "cannot find the file"}, kNaoEncontrado},
    {{"Database already opened with engine instance", ""}, kJaAberto},
    {{"user name and password are not defined", ""}, kSenhaRecusada},
    {{"ORA-01017", ""}, kSenhaRecusada},
    {{"password authentication failed", ""}, kSenhaRecusada},
    {{"Unable to complete network request to host", ""}, kServidorInacessivel},
    {{"ORA-12541", ""}, kServidorInacessivel},
    {{"ORA-12170", ""}, kServidorInacessivel},
    {{"could not connect to server", ""}, kServidorInacessivel},
    {{"Connection refused", ""}, kServidorInacessivel},
};

}  // namespace

std::string ConnectionRefusalAdvice(const std::string& Error) {
  for (const Refusal& refusal : kRefusals) {
    bool matches = true;
    for (const char* sign : refusal.Signs) matches = matches && Error.find(sign) != std::string::npos;
    if (matches) return refusal.Advice;
  }
  return {};
}

}  // namespace zr::app
