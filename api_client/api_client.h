#pragma once

// Everything a user of the API client needs.

#include "api_client/any_encodable.h"
#include "api_client/client.h"
#include "api_client/client_logger.h"
#include "api_client/content_type.h"
#include "api_client/credentials.h"
#include "api_client/http_method.h"
#include "api_client/http_status_code.h"
#include "api_client/json_coding.h"
#include "api_client/percent_encoding.h"
#include "api_client/querystring_state.h"
#include "api_client/request.h"
#include "api_client/response.h"
#include "api_client/transport_error.h"
#include "api_client/url_request.h"
#include "api_client/url_session.h"
#include "api_client/url_session_provider.h"
