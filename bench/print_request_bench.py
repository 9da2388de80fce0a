#!/usr/bin/env python3
"""Print request benchmark: process start until CUPS has accepted the job, against headless Chromium printing the
same page to PDF followed by lp of that PDF to the same queue. The two run interleaved in one run. Prints the
medians, the ratio, peak memory and where our time goes; asserts nothing.

    bench/print_request_bench.py BUILD_BIN_DIR [RUNS]

Needs root (a private CUPS scheduler is started, as in the print tests) and chromium for the comparison.
Memory is the peak of the summed resident sizes of the whole process tree (the browser engines run several
processes), sampled every 10 ms. Our stages come from the print harness's own time stamps: module load and
engine start, page load, and PDF rendering with the CUPS submission."""
import os
import resource
import shutil
import subprocess
import sys
import tempfile
import threading
import time

here = os.path.dirname(os.path.abspath(__file__))
support = os.path.join(here, "..", "tests", "support")


def tree(pid):
    """pid and all its descendants."""
    children = {}
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open("/proc/%s/stat" % entry) as f:
                stat = f.read()
            ppid = int(stat[stat.rindex(")") + 2:].split()[1])
            children.setdefault(ppid, []).append(int(entry))
        except (OSError, ValueError):
            pass
    out, todo = [], [pid]
    while todo:
        p = todo.pop()
        out.append(p)
        todo.extend(children.get(p, []))
    return out


def rss_kb(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


class PeakSampler(threading.Thread):
    def __init__(self, pid):
        super().__init__(daemon=True)
        self.pid, self.peak_kb, self.running = pid, 0, True

    def run(self):
        while self.running:
            self.peak_kb = max(self.peak_kb, sum(rss_kb(p) for p in tree(self.pid)))
            time.sleep(0.01)


def measure(argv, env, ready_marker=None, stages=None):
    """Wall time until ready_marker appears on stderr (or the process ends), the peak tree RSS, the exit code and
    the CPU time of the whole run (all processes of the tree that were reaped). stages: marker -> seconds, filled
    with the time each marker first appeared."""
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    proc = subprocess.Popen(argv, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    sampler = PeakSampler(proc.pid)
    sampler.start()
    ready = None
    for line in proc.stderr:
        now = time.monotonic() - start
        if ready_marker and ready is None and ready_marker in line:
            ready = now
        if stages is not None:
            for marker in stages:
                if stages[marker] is None and marker in line:
                    stages[marker] = now
    proc.wait()
    end = time.monotonic() - start
    sampler.running = False
    sampler.join()
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    cpu = (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)
    return (ready if ready is not None else end), sampler.peak_kb, proc.returncode, cpu


def median(values):
    values = sorted(values)
    return values[len(values) // 2]


def main():
    bin_dir = os.path.abspath(sys.argv[1])
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 5
    work = tempfile.mkdtemp(prefix="vt-print-bench-")
    os.chmod(work, 0o755)
    server = None
    try:
        env_text = subprocess.run(["bash", os.path.join(support, "cups_sandbox.sh"), "start", work + "/cups",
                                   "vtOffice", "vtBench"], check=True, capture_output=True, text=True).stdout
        env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
        for assignment in env_text.replace("export ", "").split():
            name, value = assignment.split("=", 1)
            env[name] = value.strip("'")
        subprocess.run(["lpoptions", "-d", "vtOffice"], env=env, check=True, capture_output=True)

        page_dir = os.path.join(work, "www", "veltrane_docs", "store", "1234")
        os.makedirs(page_dir)
        with open(os.path.join(page_dir, "apptcard.html"), "w") as f:
            f.write("<!doctype html><html><head><title>Appointment card</title></head><body>"
                    "<h1>Appointment card</h1><p>Patient 1234, Tuesday 10:30 with Dr Example.</p>"
                    + "<p>Please arrive ten minutes early.</p>" * 20 + "</body></html>")
        port_file = os.path.join(work, "port")
        server = subprocess.Popen([sys.executable, os.path.join(support, "doc_server.py"), os.path.join(work, "www"),
                                   port_file, os.path.join(work, "http.log")])
        while not os.path.exists(port_file):
            time.sleep(0.05)
        host = "127.0.0.1:" + open(port_file).read()
        url = "http://%s/veltrane_docs/store/1234/apptcard.html" % host

        registry = os.path.join(work, "registry.txt")
        with open(registry, "w") as f:
            f.write("\\Software\\Veltrane\tapptcard_printer\tvtBench\n\\Software\\Veltrane\tappt_type\tNormal\n")
        with open(os.path.join(work, "request.ini"), "w") as f:
            f.write("[settings]\naction=print\ntype=apptcard\npatient_id=1234\n")
        os.makedirs(os.path.join(work, "logs"))
        ours = [os.path.join(bin_dir, "print-harness"), "--registry", registry, "--log", os.path.join(work, "logs"),
                "--", "-x", os.path.join(work, "request.ini"), "-s", host]

        chromium = shutil.which("chromium") or shutil.which("chromium-browser")
        results = {"veltrane": [], "chromium": []}
        stage_names = ["browser module loaded", "harness: loaded", "harness: printed"]
        stage_times = []
        for i in range(runs):
            stages = dict.fromkeys(stage_names)
            t, peak, rc, cpu = measure(ours, env, ready_marker="harness: printed", stages=stages)
            if rc != 0:
                print("print-harness failed with exit code %d" % rc)
                return 1
            results["veltrane"].append((t, peak, cpu))
            stage_times.append(stages)
            if chromium:
                pdf = os.path.join(work, "chromium-%d.pdf" % i)
                t, peak, rc, cpu = measure([chromium, "--headless", "--no-sandbox", "--disable-gpu",
                                            "--no-pdf-header-footer", "--print-to-pdf=" + pdf, url], env)
                if rc == 0 and os.path.exists(pdf):
                    # lp returns once the scheduler has accepted the job, the moment our figure ends at too.
                    t_lp, peak_lp, rc_lp, cpu_lp = measure(["lp", "-d", "vtBench", pdf], env)
                    if rc_lp == 0:
                        results["chromium"].append((t + t_lp, max(peak, peak_lp), cpu + cpu_lp))

        print("print request benchmark, %d runs interleaved, medians" % runs)
        v_time = median([r[0] for r in results["veltrane"]])
        v_peak = median([r[1] for r in results["veltrane"]])
        v_cpu = median([r[2] for r in results["veltrane"]])
        print("  veltrane print request (start -> job accepted by CUPS): %.0f ms wall, peak tree RSS %.0f MB, "
              "CPU %.0f ms (whole run)" % (v_time * 1000, v_peak / 1024, v_cpu * 1000))
        complete = [s for s in stage_times if all(s[m] is not None for m in stage_names)]
        if complete:
            module = median([s[stage_names[0]] for s in complete])
            load = median([s[stage_names[1]] - s[stage_names[0]] for s in complete])
            pdf = median([s[stage_names[2]] - s[stage_names[1]] for s in complete])
            print("  where it goes: process start, core and browser module load with the engine's start %.0f ms; "
                  "page load until rendered %.0f ms; PDF and CUPS submission %.0f ms" %
                  (module * 1000, load * 1000, pdf * 1000))
        if results["chromium"]:
            c_time = median([r[0] for r in results["chromium"]])
            c_peak = median([r[1] for r in results["chromium"]])
            c_cpu = median([r[2] for r in results["chromium"]])
            print("  chromium --headless --print-to-pdf, then lp (start -> job accepted by CUPS): %.0f ms wall, "
                  "peak tree RSS %.0f MB, CPU %.0f ms" % (c_time * 1000, c_peak / 1024, c_cpu * 1000))
            print("  ratio veltrane / chromium: wall %.2f, memory %.2f, CPU %.2f"
                  % (v_time / c_time, v_peak / c_peak, v_cpu / c_cpu))
        else:
            print("  chromium not available: no comparison")
        return 0
    finally:
        if server:
            server.kill()
        subprocess.run(["bash", os.path.join(support, "cups_sandbox.sh"), "stop", work + "/cups"])
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
