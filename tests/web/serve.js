// A small static file server for the browser build, on 127.0.0.1 only.
// As a program: node serve.js DIR [PORT] [--plain]   (default port 8016)
// As a module: serve(dir, {port, missing, broken, plain}) resolves to {url,
// close, requests, sent, quiet, use}; `missing` files answer 404 and `broken`
// ones 500, to test how the page takes a server that lacks a file or fails;
// use(dir, {missing, broken}) serves another folder from the next request on,
// as a new upload. `sent` has each request's {name, status, bytes} (of the
// body), `requests` their names; quiet(ms) resolves once no request has come
// for `ms`. Files are sent with `Cache-Control: no-store`, or, `plain`,
// as a plain static server sends them: with Last-Modified and an ETag, which
// a conditional request that matches gets a 304 for.
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

function plainHeaders(info) {
  return { "Last-Modified": info.mtime.toUTCString(),
    ETag: `"${info.size.toString(16)}-${Math.floor(info.mtimeMs).toString(16)}"` };
}

// Whether a conditional request has the file as it is (If-None-Match first).
function unchanged(request, headers, info) {
  const match = request.headers["if-none-match"];
  if (match) return match.split(",").some((tag) => tag.trim().replace(/^W\//, "") === headers.ETag);
  const since = Date.parse(request.headers["if-modified-since"] || "");
  return since >= Math.floor(info.mtimeMs / 1000) * 1000;
}

function serve(dir, options = {}) {
  let root, missing, broken;
  const use = (folder, { missing: m = [], broken: b = [] } = {}) => {
    root = path.resolve(folder);
    missing = new Set(m);
    broken = new Set(b);
  };
  use(dir, options);
  const sent = [];
  let last = Date.now();
  const server = http.createServer((request, response) => {
    const name = decodeURIComponent(new URL(request.url, "http://x").pathname).replace(/^\/+/, "");
    const file = path.resolve(root, name || "index.html");
    last = Date.now();
    const record = { name, status: 0, bytes: 0 };
    sent.push(record);
    response.on("finish", () => { last = Date.now(); });
    const answer = (status, text) => {
      record.status = status;
      record.bytes = Buffer.byteLength(text + "\n");
      response.writeHead(status, { "Content-Type": "text/plain" });
      response.end(text + "\n");
    };
    if (request.method !== "GET" && request.method !== "HEAD") return answer(405, "GET only");
    if (!file.startsWith(root + path.sep) && file !== root) return answer(403, "outside the folder");
    if (broken.has(path.basename(file))) return answer(500, "failing on purpose");
    if (missing.has(path.basename(file))) return answer(404, "not found");
    fs.stat(file, (error, info) => {
      if (error || !info.isFile()) return answer(404, "not found");
      const type = types[path.extname(file)] || "application/octet-stream";
      const headers = options.plain ? plainHeaders(info) : {
        "Cache-Control": "no-store",
        // Cross-origin isolation: the page's clock then has microseconds, not tenths of milliseconds.
        "Cross-Origin-Opener-Policy": "same-origin",
        "Cross-Origin-Embedder-Policy": "require-corp",
      };
      if (options.plain && unchanged(request, headers, info)) {
        record.status = 304;
        response.writeHead(304, { ETag: headers.ETag, "Last-Modified": headers["Last-Modified"] });
        return response.end();
      }
      record.status = 200;
      response.writeHead(200, { "Content-Type": type, "Content-Length": info.size, ...headers });
      if (request.method === "HEAD") return response.end();
      record.bytes = info.size;
      fs.createReadStream(file).pipe(response);
    });
  });
  return new Promise((resolve, reject) => {
    server.once("error", reject);
    server.listen(options.port || 0, "127.0.0.1", () => {
      resolve({
        url: `http://127.0.0.1:${server.address().port}/`,
        get requests() { return sent.map((request) => request.name); },
        sent,
        use,
        quiet: async (ms) => {
          while (Date.now() - last < ms) await new Promise((done) => setTimeout(done, ms / 4));
        },
        close: () => new Promise((done) => server.close(done)),
      });
    });
  });
}

module.exports = { serve };

if (require.main === module) {
  const plain = process.argv.includes("--plain");
  const [dir, port] = process.argv.slice(2).filter((arg) => arg !== "--plain");
  if (!dir) {
    console.error("usage: node serve.js DIR [PORT] [--plain]");
    process.exit(2);
  }
  serve(dir, { port: Number(port || 8016), plain }).then(
    (s) => console.log(`VEXAR is served at ${s.url} (Ctrl-C stops)`),
    (error) => {
      console.error(`vexar: cannot serve on 127.0.0.1:${port || 8016}: ${error.message}`);
      process.exit(1);
    });
}
