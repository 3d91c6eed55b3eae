"""Signing with osslsigncode as a publisher would, with throw-away certificates made by openssl:
a plain SHA-256 signature, one with an RFC 3161 timestamp (offline: a time-stamping certificate
of our own) and a dual signature (SHA-1, then a nested SHA-256 one with a timestamp).
"""

import subprocess
import time


class Signer:
    """Throw-away code-signing and time-stamping certificates and the three signature shapes
    osslsigncode makes with them."""

    def __init__(self, folder):
        self.folder = folder
        self.cert, self.key = self.certificate("Zembrico test signing", "codeSigning")
        self.tsa_cert, self.tsa_key = self.certificate("Zembrico test time stamps",
                                                       "critical,timeStamping")

    def certificate(self, name, usage):
        key, cert = self.folder / (name + ".key"), self.folder / (name + ".pem")
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2",
                        "-subj", "/CN=" + name, "-keyout", key, "-out", cert,
                        "-addext", "extendedKeyUsage=" + usage], check=True, capture_output=True)
        return cert, key

    def sign(self, source, target, *options):
        target.unlink(missing_ok=True)
        subprocess.run(["osslsigncode", "sign", "-certs", self.cert, "-key", self.key,
                        "-n", "Zembrico Setup", *options, "-in", source, "-out", target],
                       check=True, capture_output=True)

    def timestamp(self):
        return ["-TSA-certs", self.tsa_cert, "-TSA-key", self.tsa_key,
                "-TSA-time", str(int(time.time()))]

    def shapes(self, unsigned, folder):
        """{shape: signed file} for a plain, a timestamped and a dual signature."""
        plain, stamped, sha1 = (folder / ("signed-" + n) for n in ("plain.exe", "timestamped.exe",
                                                                    "sha1.exe"))
        dual = folder / "signed-dual.exe"
        self.sign(unsigned, plain)
        self.sign(unsigned, stamped, *self.timestamp())
        self.sign(unsigned, sha1, "-h", "sha1")
        self.sign(sha1, dual, "-nest", *self.timestamp())
        return {"plain": plain, "timestamped": stamped, "dual": dual}

    def verify(self, exe):
        """osslsigncode's verdict: (passed, output)."""
        result = subprocess.run(["osslsigncode", "verify", "-CAfile", self.cert,
                                 "-TSA-CAfile", self.tsa_cert, "-in", exe],
                                capture_output=True, text=True)
        return result.returncode == 0, result.stdout + result.stderr
