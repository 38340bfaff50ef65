// Throughput of the checksum library against OpenSSL's MD5 and SHA-1 and
// zlib's crc32, fed the same 1 MiB blocks in the same way as the imaging job
// feeds its three hashes (each block to CRC-32, then MD5, then SHA-1).
//
// Run (native build, release):
//   cmake -S . -B build/native -G Ninja && cmake --build build/native -j2 --target hash_bench
//   build/native/bench/hash_bench [MiB per measurement, default 32] [rounds, default 15]
//
// Each round measures every contender once, ours and its peer back to back
// (alternating which goes first), so that both see the same machine
// conditions. Reported: the best throughput of each over all rounds, and the
// median of the per-round ratios, which holds up better on a shared machine.

#include <openssl/evp.h>
#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "HashBlockSHA1.h"
#include "HashCRC32.h"
#include "HashMD5.h"
#include "HashSHA1.h"

namespace {

const std::size_t kBlockSize = 1 << 20;
const std::size_t kDistinctBlocks = 16;

struct CContender {
    std::string strName;
    std::function<void(const std::uint8_t*, std::size_t)> fnRun;  // feeds all blocks once
    double dBestSeconds = 1e300;
    std::vector<double> seconds;  // one per round
};

double Seconds(const std::function<void()>& fn) {
    const auto t0 = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Folds a digest into a value that is printed, so that no work is dropped.
unsigned g_nSink = 0;
void Sink(const void* p, std::size_t n) {
    for (std::size_t i = 0; i < n; ++i) g_nSink = g_nSink * 31 + static_cast<const std::uint8_t*>(p)[i];
}

void RunOurs(bool bCRC, bool bMD5, bool bSHA1, const std::uint8_t* pData, std::size_t nBlocks) {
    NHash::NCRC::CHashCRC32 crc;
    NHash::NStandart::CHashMD5a md5;
    NHash::NStandart::CHashSHA1 sha1;
    for (std::size_t i = 0; i < nBlocks; ++i) {
        const std::uint8_t* p = pData + (i % kDistinctBlocks) * kBlockSize;
        if (bCRC) crc.Update(p, kBlockSize);
        if (bMD5) md5.Update(p, kBlockSize);
        if (bSHA1) sha1.Update(p, kBlockSize);
    }
    std::uint8_t out[20];
    if (bCRC && crc.Final(out, 4, 0, 0)) Sink(out, 4);
    if (bMD5 && md5.Final(out, 16, 0, 0)) Sink(out, 16);
    if (bSHA1 && sha1.Final(out, 20, 0, 0)) Sink(out, 20);
}

void RunPeers(bool bCRC, bool bMD5, bool bSHA1, const std::uint8_t* pData, std::size_t nBlocks) {
    uLong crc = crc32(0, nullptr, 0);
    EVP_MD_CTX* md5 = EVP_MD_CTX_new();
    EVP_MD_CTX* sha1 = EVP_MD_CTX_new();
    EVP_DigestInit_ex(md5, EVP_md5(), nullptr);
    EVP_DigestInit_ex(sha1, EVP_sha1(), nullptr);
    for (std::size_t i = 0; i < nBlocks; ++i) {
        const std::uint8_t* p = pData + (i % kDistinctBlocks) * kBlockSize;
        if (bCRC) crc = crc32(crc, p, uInt(kBlockSize));
        if (bMD5) EVP_DigestUpdate(md5, p, kBlockSize);
        if (bSHA1) EVP_DigestUpdate(sha1, p, kBlockSize);
    }
    unsigned char out[EVP_MAX_MD_SIZE];
    unsigned n = 0;
    Sink(&crc, sizeof crc);
    EVP_DigestFinal_ex(md5, out, &n);
    Sink(out, n);
    EVP_DigestFinal_ex(sha1, out, &n);
    Sink(out, n);
    EVP_MD_CTX_free(md5);
    EVP_MD_CTX_free(sha1);
}

// The same digests from both sides over the benchmark's own data.
bool DigestsAgree(const std::uint8_t* pData, std::size_t nBlocks) {
    NHash::NCRC::CHashCRC32 crc;
    NHash::NStandart::CHashMD5a md5;
    NHash::NStandart::CHashSHA1 sha1;
    uLong zcrc = crc32(0, nullptr, 0);
    EVP_MD_CTX* emd5 = EVP_MD_CTX_new();
    EVP_MD_CTX* esha1 = EVP_MD_CTX_new();
    EVP_DigestInit_ex(emd5, EVP_md5(), nullptr);
    EVP_DigestInit_ex(esha1, EVP_sha1(), nullptr);
    for (std::size_t i = 0; i < nBlocks; ++i) {
        const std::uint8_t* p = pData + (i % kDistinctBlocks) * kBlockSize;
        crc.Update(p, kBlockSize);
        md5.Update(p, kBlockSize);
        sha1.Update(p, kBlockSize);
        zcrc = crc32(zcrc, p, uInt(kBlockSize));
        EVP_DigestUpdate(emd5, p, kBlockSize);
        EVP_DigestUpdate(esha1, p, kBlockSize);
    }
    std::uint8_t ours[4 + 16 + 20], theirs[4 + 16 + 20];
    crc.Final(ours, 4, 0, 0);
    md5.Final(ours + 4, 16, 0, 0);
    sha1.Final(ours + 20, 20, 0, 0);
    for (int i = 0; i < 4; ++i) theirs[i] = std::uint8_t(zcrc >> (8 * i));
    unsigned n = 0;
    EVP_DigestFinal_ex(emd5, theirs + 4, &n);
    EVP_DigestFinal_ex(esha1, theirs + 20, &n);
    EVP_MD_CTX_free(emd5);
    EVP_MD_CTX_free(esha1);
    return std::memcmp(ours, theirs, sizeof ours) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::size_t nMiB = argc > 1 ? std::strtoul(argv[1], nullptr, 10) : 32;
    const int nRounds = argc > 2 ? std::atoi(argv[2]) : 15;
    if (nMiB == 0 || nRounds <= 0) {
        std::fprintf(stderr, "usage: hash_bench [MiB per measurement] [rounds]\n");
        return 2;
    }

    std::vector<std::uint8_t> data(kDistinctBlocks * kBlockSize);
    std::mt19937_64 rng(42);
    for (std::size_t i = 0; i < data.size(); i += 8) {
        const std::uint64_t v = rng();
        std::memcpy(&data[i], &v, 8);
    }
    const std::uint8_t* p = data.data();
    const std::size_t nBlocks = nMiB;

    if (!DigestsAgree(p, nBlocks)) {
        std::fprintf(stderr, "digests differ from OpenSSL/zlib\n");
        return 1;
    }

    const char* const names[] = {"CRC-32", "MD5", "SHA-1", "all three"};
    const bool use[4][3] = {{true, false, false}, {false, true, false}, {false, false, true}, {true, true, true}};
    std::vector<CContender> ours(4), peers(4);
    for (int k = 0; k < 4; ++k) {
        const bool* u = use[k];
        ours[k].fnRun = [u](const std::uint8_t* d, std::size_t n) { RunOurs(u[0], u[1], u[2], d, n); };
        peers[k].fnRun = [u](const std::uint8_t* d, std::size_t n) { RunPeers(u[0], u[1], u[2], d, n); };
    }

    // Warm up both sides once, then alternate: ours, peer, ours, peer, ...
    for (int k = 0; k < 4; ++k) {
        ours[k].fnRun(p, 4);
        peers[k].fnRun(p, 4);
    }
    for (int round = 0; round < nRounds; ++round)
        for (int k = 0; k < 4; ++k) {
            CContender& first = round % 2 ? peers[k] : ours[k];
            CContender& second = round % 2 ? ours[k] : peers[k];
            for (CContender* c : {&first, &second}) {
                const double t = Seconds([&] { c->fnRun(p, nBlocks); });
                c->seconds.push_back(t);
                c->dBestSeconds = std::min(c->dBestSeconds, t);
            }
        }

    std::printf("%zu MiB per measurement in 1 MiB blocks, best of %d rounds; SHA instructions: %s\n", nMiB, nRounds,
                NHash::NStandart::NDriver::HasSHA1Instructions() ? "used" : "not available");
    std::printf("%-10s %12s %12s %8s %13s   (peer: zlib crc32, OpenSSL %s EVP MD5/SHA-1)\n", "hash", "ours MB/s",
                "peer MB/s", "ratio", "median ratio", OpenSSL_version(OPENSSL_VERSION_STRING));
    for (int k = 0; k < 4; ++k) {
        const double bytes = double(nBlocks) * kBlockSize;
        const double mbOurs = bytes / ours[k].dBestSeconds / 1e6;
        const double mbPeer = bytes / peers[k].dBestSeconds / 1e6;
        std::vector<double> ratios;
        for (int round = 0; round < nRounds; ++round)
            ratios.push_back(peers[k].seconds[round] / ours[k].seconds[round]);
        std::sort(ratios.begin(), ratios.end());
        const double median = nRounds % 2 ? ratios[nRounds / 2] : (ratios[nRounds / 2 - 1] + ratios[nRounds / 2]) / 2;
        std::printf("%-10s %12.1f %12.1f %7.2fx %12.2fx\n", names[k], mbOurs, mbPeer, mbOurs / mbPeer, median);
    }
    std::printf("(checksum of digests %08x)\n", g_nSink);
    return 0;
}
