#!/usr/bin/env python3
"""skydeck-studio.exe under Wine: it starts, serves its page to a request with its key, refuses
one without, saves a lens programming file and an aircraft profile, and ends when asked.

  studio_wine_test.py --wine WINE --studio skydeck-studio.exe --data DATA
"""
import argparse
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile
import urllib.error
import urllib.request


def call(address, path, key, body=None):
    request = urllib.request.Request(address + path, data=None if body is None else json.dumps(body).encode(),
                                     headers={"X-Studio-Key": key, "Content-Type": "application/json"})
    try:
        with urllib.request.urlopen(request, timeout=60) as response:
            return response.status, response.read()
    except urllib.error.HTTPError as error:
        return error.code, error.read()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--wine", required=True)
    parser.add_argument("--studio", required=True)
    parser.add_argument("--data", required=True)
    args = parser.parse_args()
    work = tempfile.mkdtemp(prefix="studio-wine-")
    data = os.path.join(work, "data")
    profile = os.path.join(work, "profile")
    shutil.copytree(args.data, data)
    os.makedirs(profile)
    studio = subprocess.Popen([args.wine, args.studio, "--no-browser", "--data", data, "--profile", profile],
                              stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
    try:
        match = None
        for _ in range(20):
            match = re.search(r"(http://127\.0\.0\.1:\d+)/\?key=([0-9a-f]+)", studio.stdout.readline())
            if match:
                break
        if not match:
            sys.exit("the studio printed no address")
        address, key = match.group(1), match.group(2)
        status, page = call(address, "/?key=" + key, key)
        assert status == 200 and b"Skydeck Studio" in page, f"the page: {status}"
        assert call(address, "/api/lamp", "wrong")[0] == 403, "a request without the key is refused"
        status, state = call(address, "/api/lamp", key)
        state = json.loads(state)
        panels = [{"serial": "WINE-1", "tiles": {"GearDown": {"colour": "Green", "lens": 0}}}]
        status, saved = call(address, "/api/lamp/save", key, {"panels": panels, "version": state["version"]})
        assert status == 200, f"save: {status} {saved[:300]}"
        lens_file = os.path.join(profile, "LampProgramming.xml")
        with open(lens_file, encoding="utf-8") as f:
            first = f.read()
        assert '<LampProgramming Id="WINE-1">' in first
        # A second save replaces the file and keeps the first as .bak.
        panels[0]["tiles"]["GearDown"]["lens"] = 5
        status, saved = call(address, "/api/lamp/save", key, {"panels": panels, "version": json.loads(saved)["version"]})
        assert status == 200, f"second save: {status} {saved[:300]}"
        with open(lens_file, encoding="utf-8") as f:
            assert "<Assignment>5</Assignment>" in f.read()
        with open(lens_file + ".bak", encoding="utf-8") as f:
            assert f.read() == first
        # An aircraft profile renamed in the data folder's aircraft folder.
        status, listed = call(address, "/api/profiles", key)
        kestrel = next(p for p in json.loads(listed)["profiles"] if p["file"] == "Kestrel K40.xml")
        kestrel["profile"]["name"] = "Kestrel (Wine)"
        status, saved = call(address, "/api/profiles/save", key,
                             {"file": kestrel["file"], "profile": kestrel["profile"], "version": kestrel["version"]})
        assert status == 200, f"profile save: {status} {saved[:300]}"
        with open(os.path.join(data, "aircraft", "Kestrel K40.xml"), encoding="utf-8") as f:
            assert '<AircraftProfile Name="Kestrel (Wine)">' in f.read()
        call(address, "/api/quit", key, {})
        studio.wait(60)
        print("studio saved under Wine")
    finally:
        if studio.poll() is None:
            studio.kill()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
