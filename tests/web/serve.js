// A small static file server for the browser build, on 127.0.0.1 only.
// As a program: node serve.js DIR [PORT]   (default port 8016)
// As a module: serve(dir, {port, missing, broken}) resolves to {url, close,
// requests, use}; `missing` files answer 404 and `broken` ones 500, to test how
// the page takes a server that lacks a file or fails; use(dir, {missing,
// broken}) serves another folder from the next request on, as a new upload.
"use strict";
const http = require("http");
const fs = require("fs");
const path = require("path");

const types = {
  ".html": "text/html; charset=utf-8",
  ".js": "text/javascript; charset=utf-8",
  ".css": "text/css; charset=utf-8",
  ".wasm": "application/wasm",
  ".bmp": "image/bmp",
  ".png": "image/png",
  ".gz": "application/gzip",
  ".webmanifest": "application/manifest+json",
};

function serve(dir, options = {}) {
  let root, missing, broken;
  const use = (folder, { missing: m = [], broken: b = [] } = {}) => {
    root = path.resolve(folder);
    missing = new Set(m);
    broken = new Set(b);
  };
  use(dir, options);
  const requests = [];
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, "http://x").pathname).replace(/^\/+/, "");
    const file = path.resolve(root, name || "index.html");
    requests.push(name);
    const answer = (status, text) => {
      response.writeHead(status, { "Content-Type": "text/plain" });
      response.end(text + "\n");
    };
    if (request.method !== "GET" && request.method !== "HEAD") return answer(405, "GET only");
    if (!file.startsWith(root + path.sep) && file !== root) return answer(403, "outside the folder");
    if (broken.has(path.basename(file))) return answer(500, "failing on purpose");
    if (missing.has(path.basename(file))) return answer(404, "not found");
    fs.stat(file, (error, info) => {
      if (error || !info.isFile()) return answer(404, "not found");
      response.writeHead(200, {
        "Content-Type": types[path.extname(file)] || "application/octet-stream",
        "Content-Length": info.size,
        "Cache-Control": "no-store",
        // Cross-origin isolation: the page's clock then has microseconds, not tenths of milliseconds.
        "Cross-Origin-Opener-Policy": "same-origin",
        "Cross-Origin-Embedder-Policy": "require-corp",
      });
      if (request.method === "HEAD") return response.end();
      fs.createReadStream(file).pipe(response);
    });
  });
  return new Promise((resolve, reject) => {
    server.once("error", reject);
    server.listen(options.port || 0, "127.0.0.1", () => {
      resolve({
        url: `http://127.0.0.1:${server.address().port}/`,
        requests,
        use,
        close: () => new Promise((done) => server.close(done)),
      });
    });
  });
}

module.exports = { serve };

if (require.main === module) {
  const [dir, port] = process.argv.slice(2);
  if (!dir) {
    console.error("usage: node serve.js DIR [PORT]");
    process.exit(2);
  }
  serve(dir, { port: Number(port || 8016) }).then(
    (s) => console.log(`VEXAR is served at ${s.url} (Ctrl-C stops)`),
    (error) => {
      console.error(`vexar: cannot serve on 127.0.0.1:${port || 8016}: ${error.message}`);
      process.exit(1);
    });
}
