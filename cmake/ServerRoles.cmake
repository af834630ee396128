# Build-time defaults of the server roles: "host" or "host:port". Each can be overridden
# at run time by the environment variable of the same name. They all point at the local
# portal server by default.
set(PORTAL_SIM_DEFAULT_PORT 8471 CACHE STRING "Port of the local portal server")
set(PORTAL_PRIMARY_SERVER "127.0.0.1:${PORTAL_SIM_DEFAULT_PORT}" CACHE STRING "Primary portal server")
set(FILM_MIRROR_SERVER "127.0.0.1:${PORTAL_SIM_DEFAULT_PORT}" CACHE STRING "Film mirror server")
set(PORTAL_BACKUP_SERVER "127.0.0.1:${PORTAL_SIM_DEFAULT_PORT}" CACHE STRING "Portal backup server")
set(FILM_BACKUP_SERVER "127.0.0.1:${PORTAL_SIM_DEFAULT_PORT}" CACHE STRING "Film backup server")
set(TV_SITE_SERVER "127.0.0.1:${PORTAL_SIM_DEFAULT_PORT}" CACHE STRING "TV site server")
